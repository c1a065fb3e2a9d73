#pragma once

#include <cstddef>

#include "component/envelopes/IQNRecipients.h"
#include "stream/ByteBuffer.h"

namespace component::envelopes {

// XML Encryption of a document in place (the PKCS#7 enveloper's other output): a fresh
// symmetric key from the OpenSSL random generator encrypts the document element, the element
// whose identifier attribute ("id", "ID", "Id" or "iD") is the "ElementToCypher" setting, or,
// with "XMLEncDoContentOnly" = "TRUE", that element's content; the key is encrypted (RSA
// PKCS#1 v1.5) for the first recipient in an EncryptedKey whose ds:KeyInfo names the
// recipient's certificate (issuer and serial number, then the certificate itself). Only the
// first recipient can open the document: the others are named in a WARNING line.
//
// "SymmmetricCryptAlgorithm": "1.2.840.113549.3.7" (Triple-DES CBC), "AES-128" or "AES-256"
// (AES CBC). The settings are one-shot: "XMLEncryption" becomes "FALSE" at the start,
// "XMLEncDoContentOnly" "FALSE" and "ElementToCypher" empty once read.
//
// Every failure leaves as StreamException QN_E_ENCRYPT_SETUP with the failure's message.
class XmlEncryption {
public:
    XmlEncryption() = delete;

    static stream::ByteBuffer encrypt(const unsigned char* content, size_t size,
                                      IQNRecipients* recipients);

    static constexpr char kUnknownAlgorithm[] = "Algoritmo de cifrado no reconocido.";
    static constexpr char kNoRoot[] = "No se pudo obtener el elemento raiz del XML.";
    static constexpr char kNoElement[] = "No se ha podido encontrar el elemento a descifrar.";
    static constexpr char kUnknownKey[] = "Tipo de clave de certificado no reconocido.";
    // The system identifier the document is parsed under.
    static constexpr char kInputName[] = "id";
};

} // namespace component::envelopes

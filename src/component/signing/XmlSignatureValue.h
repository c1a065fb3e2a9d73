#pragma once

#include <xercesc/dom/DOMElement.hpp>

#include "platform/crypt/RsaKey.h"

class DSIGSignature;

namespace component::signing {

// Signs the SignedInfo of a signature as it stands: the engine canonicalises and hashes it
// (calculateSignedInfoHash, SHA-1 for RSA-SHA1) and signs the hash with the private key
// (PKCS#1 v1.5, through the engine's OpenSSL key over the same key); the Base64 value, in
// lines of 64 characters without a trailing line feed, replaces the text of the signature's
// SignatureValue. Keys other than RSA raise XSECException "Key found, but don't know how to
// sign the document using it"; failures of the engine's signing are its XSECCryptoException.
class XmlSignatureValue {
public:
    static void sign(DSIGSignature& signature, xercesc::DOMElement& signatureElement,
                     const platform::crypt::PrivateKey& key);
};

} // namespace component::signing

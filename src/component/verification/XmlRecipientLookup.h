#pragma once

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include <xercesc/dom/DOMElement.hpp>

#include "platform/crypt/Certificate.h"
#include "platform/crypt/KeyProvider.h"

namespace component::verification {

// The recipient of an XML Encryption element: a certificate of the current user's "MY" store
// with its key provider.
struct XmlRecipient {
    platform::crypt::CertificatePtr certificate;
    std::shared_ptr<platform::crypt::KeyProvider> provider;
    uint32_t keySpec = 0;
};

// Finds the recipient named by the first X509IssuerName and X509SerialNumber (XML-DSig
// namespace) inside an encrypted element. Failures are StreamException with code 1.
class XmlRecipientLookup {
public:
    static XmlRecipient find(const xercesc::DOMElement& encrypted);

    // Whether an issuer as the element names it and a certificate's issuer rendered as X.500
    // text hold the same attribute/value pairs (split at "," and "="; blanks around names and
    // values, the order of the pairs and the case of the attribute names do not count).
    static bool sameIssuer(std::string_view named, std::string_view rendered);
    // Whether a serial number text is the serial (INTEGER value octets, most significant
    // first) written in decimal, or in hexadecimal.
    static bool serialInDecimal(const std::vector<unsigned char>& serial, std::string_view text);
    static bool serialInHex(const std::vector<unsigned char>& serial, std::string_view text);

    static constexpr char kNoRecipientInfo[] =
        "No se pudo encontrar información sobre el certificado para descifrar.";
    static constexpr char kNoRecipient[] =
        "No se pudo encontrar el certificado correspondiente para descifrar.";
    static constexpr char kNoRecipientKey[] =
        "No se pudo obtener la clave privada del certificado para descifrar.";
};

} // namespace component::verification

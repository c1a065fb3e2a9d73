#pragma once

#include <string>

#include "platform/crypt/Certificate.h"

namespace component::signing {

// How an XML signature names its certificate (KeyInfo's X509IssuerSerial and the XAdES
// IssuerSerial): the issuer as the platform's X.500 text, most specific RDN first, RDNs
// joined by ", "; the serial number in decimal.
struct CertificateIdentity {
    std::string issuerName;
    std::string serialNumber;

    static CertificateIdentity of(const platform::crypt::Certificate& certificate);
};

} // namespace component::signing

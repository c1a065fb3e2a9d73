#pragma once

#include <memory>
#include <string>

#include "platform/crypt/Certificate.h"
#include "platform/crypt/RsaKey.h"

namespace platform::crypt {

// What a new certificate says.
struct CertificateRequest {
    std::string subject; // Windows order, e.g. "CN=Juan, O=ACME, C=ES"
    long validDays = 365;
    bool ca = false;
    std::string keyUsage;         // OpenSSL's names, e.g. "digitalSignature,nonRepudiation"
    std::string extendedKeyUsage; // e.g. "emailProtection,clientAuth"; empty for none
};

// A fresh RSA key.
std::shared_ptr<PrivateKey> generateRsaKey(int bits);

// Issues a certificate for key, signed (SHA-256) by issuer's key, or self-signed when issuer
// is null; random serial number, subject and authority key identifiers.
CertificatePtr issueCertificate(const CertificateRequest& request, const PrivateKey& key,
                                const Certificate* issuer, const PrivateKey* issuerKey);

} // namespace platform::crypt

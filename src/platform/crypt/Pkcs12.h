#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/crypt/Certificate.h"
#include "platform/crypt/RsaKey.h"

namespace platform::crypt {

// What a PKCS#12 file holds: the certificate with its key, and the other certificates.
struct Pkcs12Contents {
    CertificatePtr certificate;
    std::shared_ptr<PrivateKey> key;
    std::vector<CertificatePtr> others;
};

// ERROR_INVALID_PASSWORD: the PKCS#12 password is wrong.
constexpr uint32_t ERROR_INVALID_PASSWORD = 86;

// Decodes a PKCS#12 file. Raises CryptException: ERROR_INVALID_PASSWORD for a wrong password,
// CRYPT_E_ASN1_BADTAG when the bytes are not PKCS#12, CRYPT_E_NOT_FOUND when it holds no
// certificate with a key.
Pkcs12Contents readPkcs12(std::string_view bytes, const std::string& password);

} // namespace platform::crypt

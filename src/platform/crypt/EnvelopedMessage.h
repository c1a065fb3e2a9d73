#pragma once

#include <vector>

#include "platform/crypt/Certificate.h"
#include "platform/crypt/RsaKey.h"

namespace platform::crypt {

// A PKCS#7 / CMS enveloped-data message in one call each way, over EnvelopedDataEncoder and
// EnvelopedDataDecoder.
class EnvelopedMessage {
public:
    // Encrypts content for every recipient (key transport, RSA PKCS#1 v1.5) with AES-256-CBC
    // (or 3DES when tripleDes).
    static std::vector<unsigned char> encrypt(const std::vector<unsigned char>& content,
                                              const std::vector<CertificatePtr>& recipients,
                                              bool tripleDes = false);
    // Decrypts with the recipient's certificate and key: CRYPT_E_ASN1_BADTAG when der is not
    // a message, CRYPT_E_INVALID_MSG_TYPE when not enveloped data, CRYPT_E_NO_DECRYPT_CERT
    // when the certificate is no recipient or the key does not decrypt.
    static std::vector<unsigned char> decrypt(const std::vector<unsigned char>& der,
                                              const Certificate& recipient, const PrivateKey& key);
};

} // namespace platform::crypt

#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include <openssl/evp.h>

namespace platform::crypt {

// The digest algorithms a signed message may name, looked up by dotted OID.
struct DigestAlgorithmInfo {
    const char* oid;
    const EVP_MD* (*md)();
    size_t size;
};

// The entry of an OID: MD5, SHA-1, SHA-224, SHA-256, SHA-384, SHA-512 (and the OIW
// dsaWithSHA1 identifier, which carries SHA-1). CRYPT_E_UNKNOWN_ALGO for an empty or unknown
// OID, NTE_NOT_SUPPORTED for MD2 and MD4.
const DigestAlgorithmInfo& digestAlgorithm(const std::string& oid);

// The digest of a buffer, hashed in place (no copy).
std::vector<unsigned char> digestWith(const DigestAlgorithmInfo& algorithm,
                                      const unsigned char* data, size_t size);
std::vector<unsigned char> digestWith(const EVP_MD* md, const unsigned char* data, size_t size);

} // namespace platform::crypt

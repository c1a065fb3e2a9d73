#pragma once

#include <openssl/evp.h>

#include "platform/crypt/Digest.h"

namespace platform::crypt {

// OpenSSL's digest of an algorithm; NTE_BAD_ALGID for a value outside the enumeration.
const EVP_MD* evpDigest(HashAlgorithm algorithm);

} // namespace platform::crypt

#include "platform/crypt/OpenSslHandles.h"

#include <climits>

#include "platform/crypt/CryptErrors.h"

namespace platform::crypt {

BioPtr memoryReader(const void* data, size_t n) {
    if (n > static_cast<size_t>(INT_MAX)) {
        raiseCrypt(__FILE__, __LINE__, errors::NTE_BAD_LEN);
    }
    static const unsigned char empty = 0;
    BioPtr bio(BIO_new_mem_buf(n == 0 ? &empty : data, static_cast<int>(n)));
    if (!bio) {
        raiseCrypt(__FILE__, __LINE__, errors::NTE_NO_MEMORY);
    }
    return bio;
}

std::vector<unsigned char> takeDer(unsigned char* der, int len) {
    if (len < 0 || der == nullptr) {
        OPENSSL_free(der);
        raiseCrypt(__FILE__, __LINE__, errors::CRYPT_E_BAD_ENCODE);
    }
    std::vector<unsigned char> out(der, der + len);
    OPENSSL_free(der);
    return out;
}

BioPtr memoryWriter() {
    BioPtr bio(BIO_new(BIO_s_mem()));
    if (!bio) {
        raiseCrypt(__FILE__, __LINE__, errors::NTE_NO_MEMORY);
    }
    return bio;
}

} // namespace platform::crypt

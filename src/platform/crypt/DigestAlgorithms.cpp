#include "platform/crypt/DigestAlgorithms.h"

#include <memory>

#include "platform/crypt/CryptErrors.h"

namespace platform::crypt {

namespace {

const DigestAlgorithmInfo kAlgorithms[] = {
    {"1.2.840.113549.2.5", &EVP_md5, 16},
    {"1.3.14.3.2.26", &EVP_sha1, 20},
    {"1.3.14.3.2.27", &EVP_sha1, 20},
    {"2.16.840.1.101.3.4.2.4", &EVP_sha224, 28},
    {"2.16.840.1.101.3.4.2.1", &EVP_sha256, 32},
    {"2.16.840.1.101.3.4.2.2", &EVP_sha384, 48},
    {"2.16.840.1.101.3.4.2.3", &EVP_sha512, 64},
};

struct MdCtxFree {
    void operator()(EVP_MD_CTX* ctx) const noexcept { EVP_MD_CTX_free(ctx); }
};

} // namespace

const DigestAlgorithmInfo& digestAlgorithm(const std::string& oid) {
    for (const DigestAlgorithmInfo& info : kAlgorithms) {
        if (oid == info.oid) {
            return info;
        }
    }
    if (oid == "1.2.840.113549.2.2" || oid == "1.2.840.113549.2.4") {
        raiseCrypt(__FILE__, __LINE__, errors::NTE_NOT_SUPPORTED);
    }
    raiseCrypt(__FILE__, __LINE__, errors::CRYPT_E_UNKNOWN_ALGO);
}

std::vector<unsigned char> digestWith(const DigestAlgorithmInfo& algorithm,
                                      const unsigned char* data, size_t size) {
    return digestWith(algorithm.md(), data, size);
}

std::vector<unsigned char> digestWith(const EVP_MD* md, const unsigned char* data, size_t size) {
    std::unique_ptr<EVP_MD_CTX, MdCtxFree> ctx(EVP_MD_CTX_new());
    if (!ctx || EVP_DigestInit_ex(ctx.get(), md, nullptr) != 1) {
        raiseCrypt(__FILE__, __LINE__, errors::NTE_BAD_ALGID);
    }
    // Large buffers go in slices so that no single update length overflows anything.
    constexpr size_t kSlice = size_t{1} << 30;
    for (size_t done = 0; done < size;) {
        size_t n = size - done < kSlice ? size - done : kSlice;
        if (EVP_DigestUpdate(ctx.get(), data + done, n) != 1) {
            raiseCrypt(__FILE__, __LINE__, errors::NTE_BAD_HASH_STATE);
        }
        done += n;
    }
    std::vector<unsigned char> out(EVP_MAX_MD_SIZE);
    unsigned int length = 0;
    if (EVP_DigestFinal_ex(ctx.get(), out.data(), &length) != 1) {
        raiseCrypt(__FILE__, __LINE__, errors::NTE_BAD_HASH_STATE);
    }
    out.resize(length);
    return out;
}

} // namespace platform::crypt

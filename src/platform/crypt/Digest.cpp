#include "platform/crypt/Digest.h"

#include "platform/crypt/CryptErrors.h"
#include "platform/crypt/EvpDigest.h"

#include <openssl/evp.h>

namespace platform::crypt {

namespace {

struct MdCtxFree {
    void operator()(EVP_MD_CTX* c) const noexcept { EVP_MD_CTX_free(c); }
};

} // namespace

const EVP_MD* evpDigest(HashAlgorithm algorithm) {
    switch (algorithm) {
    case HashAlgorithm::MD5:
        return EVP_md5();
    case HashAlgorithm::SHA1:
        return EVP_sha1();
    case HashAlgorithm::SHA256:
        return EVP_sha256();
    }
    raiseCrypt(__FILE__, __LINE__, errors::NTE_BAD_ALGID);
}

struct Digest::Context {
    std::unique_ptr<EVP_MD_CTX, MdCtxFree> ctx;
    bool finished = false;
};

Digest::Digest(HashAlgorithm algorithm) : context_(std::make_unique<Context>()) {
    const EVP_MD* md = evpDigest(algorithm);
    context_->ctx.reset(EVP_MD_CTX_new());
    if (!context_->ctx || EVP_DigestInit_ex(context_->ctx.get(), md, nullptr) != 1) {
        raiseCrypt(__FILE__, __LINE__, errors::NTE_BAD_ALGID);
    }
}

Digest::~Digest() = default;
Digest::Digest(Digest&&) noexcept = default;
Digest& Digest::operator=(Digest&&) noexcept = default;

void Digest::update(const void* data, size_t n) {
    if (!context_ || context_->finished) {
        raiseCrypt(__FILE__, __LINE__, errors::NTE_BAD_HASH_STATE);
    }
    if (n == 0) {
        return;
    }
    if (EVP_DigestUpdate(context_->ctx.get(), data, n) != 1) {
        raiseCrypt(__FILE__, __LINE__, errors::NTE_FAIL);
    }
}

std::vector<unsigned char> Digest::finish() {
    if (!context_ || context_->finished) {
        raiseCrypt(__FILE__, __LINE__, errors::NTE_BAD_HASH_STATE);
    }
    std::vector<unsigned char> out(EVP_MAX_MD_SIZE);
    unsigned int len = 0;
    if (EVP_DigestFinal_ex(context_->ctx.get(), out.data(), &len) != 1) {
        raiseCrypt(__FILE__, __LINE__, errors::NTE_FAIL);
    }
    context_->finished = true;
    out.resize(len);
    return out;
}

size_t Digest::size(HashAlgorithm algorithm) {
    return static_cast<size_t>(EVP_MD_get_size(evpDigest(algorithm)));
}

std::vector<unsigned char> digest(HashAlgorithm algorithm, const unsigned char* data, size_t n) {
    std::vector<unsigned char> out(EVP_MAX_MD_SIZE);
    unsigned int len = 0;
    static const unsigned char empty = 0;
    if (EVP_Digest(n == 0 ? &empty : data, n, out.data(), &len, evpDigest(algorithm), nullptr) !=
        1) {
        raiseCrypt(__FILE__, __LINE__, errors::NTE_FAIL);
    }
    out.resize(len);
    return out;
}

} // namespace platform::crypt

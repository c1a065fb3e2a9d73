#include "component/content/ContentDigest.h"

#include <openssl/evp.h>
#include <stdexcept>

namespace component::content {

struct ContentDigest::Context {
    struct Free {
        void operator()(EVP_MD_CTX* ctx) const { EVP_MD_CTX_free(ctx); }
    };
    std::unique_ptr<EVP_MD_CTX, Free> ctx{EVP_MD_CTX_new()};
};

ContentDigest::ContentDigest(ContentHash algorithm) : context_(std::make_unique<Context>()) {
    const EVP_MD* md = algorithm == ContentHash::MD5    ? EVP_md5()
                       : algorithm == ContentHash::SHA1 ? EVP_sha1()
                                                        : EVP_sha256();
    if (!context_->ctx || EVP_DigestInit_ex(context_->ctx.get(), md, nullptr) != 1) {
        throw std::runtime_error("digest initialisation failed");
    }
}

ContentDigest::~ContentDigest() = default;

void ContentDigest::update(const void* data, size_t n) {
    if (n > 0 && EVP_DigestUpdate(context_->ctx.get(), data, n) != 1) {
        throw std::runtime_error("digest update failed");
    }
}

std::vector<unsigned char> ContentDigest::finish() {
    std::vector<unsigned char> out(EVP_MAX_MD_SIZE);
    unsigned int length = 0;
    if (EVP_DigestFinal_ex(context_->ctx.get(), out.data(), &length) != 1) {
        throw std::runtime_error("digest finish failed");
    }
    out.resize(length);
    return out;
}

} // namespace component::content

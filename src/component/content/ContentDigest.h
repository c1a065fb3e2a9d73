#pragma once

#include <cstddef>
#include <memory>
#include <vector>

namespace component::content {

// The digests getHash offers. This is a stand-in with the shape of
// platform::crypt::Digest, used until the platform's digest layer is available.
enum class ContentHash { MD5, SHA1, SHA256 };

class ContentDigest {
public:
    explicit ContentDigest(ContentHash algorithm);
    ~ContentDigest();
    ContentDigest(const ContentDigest&) = delete;
    ContentDigest& operator=(const ContentDigest&) = delete;

    void update(const void* data, size_t n);
    std::vector<unsigned char> finish();

private:
    struct Context;
    std::unique_ptr<Context> context_;
};

} // namespace component::content

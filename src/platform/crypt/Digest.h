#pragma once

#include <cstddef>
#include <memory>
#include <vector>

namespace platform::crypt {

enum class HashAlgorithm { MD5, SHA1, SHA256 };

// One-shot digest of a buffer.
std::vector<unsigned char> digest(HashAlgorithm algorithm, const unsigned char* data, size_t n);

// Incremental digest over OpenSSL's EVP interface. finish() may be called once; further
// update() or finish() calls after it raise CryptException (NTE_BAD_HASH_STATE).
class Digest {
public:
    explicit Digest(HashAlgorithm algorithm);
    ~Digest();
    Digest(const Digest&) = delete;
    Digest& operator=(const Digest&) = delete;
    Digest(Digest&&) noexcept;
    Digest& operator=(Digest&&) noexcept;

    void update(const void* data, size_t n);
    std::vector<unsigned char> finish();

    // Size in bytes of the digest of an algorithm.
    static size_t size(HashAlgorithm algorithm);

private:
    struct Context;
    std::unique_ptr<Context> context_;
};

} // namespace platform::crypt

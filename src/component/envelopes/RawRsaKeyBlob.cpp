#include "component/envelopes/RawRsaKeyBlob.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

namespace component::envelopes {

namespace {

constexpr size_t kModulus = 64; // bytes of a 512-bit modulus
constexpr size_t kHalf = 32;

// SEQUENCE { SEQUENCE { rsaEncryption, NULL }, BIT STRING { SEQUENCE { INTEGER (65 bytes),
// INTEGER (3 bytes) } } }: everything before the modulus, then the exponent's header.
constexpr std::array<unsigned char, 25> kPublicPrefix = {
    0x30, 0x5C, 0x30, 0x0D, 0x06, 0x09, 0x2A, 0x86, 0x48, 0x86, 0xF7, 0x0D, 0x01,
    0x01, 0x01, 0x05, 0x00, 0x03, 0x4B, 0x00, 0x30, 0x48, 0x02, 0x41, 0x00};
constexpr size_t kPublicSize = 94;
constexpr size_t kPublicModulusAt = 25;
constexpr size_t kPublicExponentAt = 91;

// PrivateKeyInfo { version 0, { rsaEncryption, NULL }, OCTET STRING { RSAPrivateKey {
// version 0, modulus (65 bytes), publicExponent (3 bytes), privateExponent, prime1, prime2,
// exponent1, exponent2, coefficient } } } with two-byte lengths: the fixed bytes and where
// they stand.
struct Fixed {
    size_t at;
    std::array<unsigned char, 15> bytes;
    size_t count;
};
constexpr std::array<Fixed, 7> kPrivateFixed = {{
    {0, {0x30, 0x82, 0x01}, 3},
    {4, {0x02, 0x01, 0x00}, 3},
    {7,
     {0x30, 0x0D, 0x06, 0x09, 0x2A, 0x86, 0x48, 0x86, 0xF7, 0x0D, 0x01, 0x01, 0x01, 0x05, 0x00},
     15},
    {22, {0x04, 0x82}, 2},
    {26, {0x30, 0x82}, 2},
    {30, {0x02, 0x01, 0x00, 0x02, 0x41, 0x00}, 6},
    {100, {0x02, 0x03}, 2},
}};
constexpr size_t kPrivateModulusAt = 36;
constexpr size_t kPrivateExponentAt = 102;
constexpr size_t kPrivateIntegersAt = 105;

constexpr uint32_t kCalgRsaKeyx = 0xA400;

void putLe32(std::vector<unsigned char>& blob, size_t at, uint32_t value) {
    for (size_t i = 0; i < 4; ++i) {
        blob[at + i] = static_cast<unsigned char>(value >> (8 * i));
    }
}

// Writes the big-endian value of `size` bytes at `at` of the blob, least significant first.
void putReversed(std::vector<unsigned char>& blob, size_t at, const unsigned char* value,
                 size_t size) {
    std::reverse_copy(value, value + size, blob.begin() + static_cast<std::ptrdiff_t>(at));
}

void putHeader(std::vector<unsigned char>& blob, unsigned char type, const char* magic,
               const unsigned char* exponent) {
    blob[0] = type;
    blob[1] = 2; // version
    putLe32(blob, 4, kCalgRsaKeyx);
    std::memcpy(blob.data() + 8, magic, 4);
    putLe32(blob, 12, 512);
    putReversed(blob, 16, exponent, 3);
}

// One INTEGER of the RSAPrivateKey at `at`, as `width` big-endian bytes (a leading zero
// octet dropped, a shorter value padded): false when it is not one or does not fit.
bool readInteger(const unsigned char* der, size_t size, size_t& at, size_t width,
                 unsigned char* out) {
    if (at > size || size - at < 2 || der[at] != 0x02 || (der[at + 1] & 0x80) != 0) {
        return false;
    }
    size_t length = der[at + 1];
    const unsigned char* value = der + at + 2;
    if (length == 0 || length > size - at - 2) {
        return false;
    }
    at += 2 + length;
    if (length == width + 1 && value[0] == 0) {
        ++value;
        --length;
    }
    if (length > width) {
        return false;
    }
    std::memset(out, 0, width - length);
    std::memcpy(out + (width - length), value, length);
    return true;
}

} // namespace

std::vector<unsigned char> RawRsaKeyBlob::publicBlob(const unsigned char* der, size_t size) {
    std::vector<unsigned char> blob(kPublicBlobSize, 0);
    if (der == nullptr || size != kPublicSize ||
        !std::equal(kPublicPrefix.begin(), kPublicPrefix.end(), der) ||
        der[kPublicExponentAt - 2] != 0x02 || der[kPublicExponentAt - 1] != 0x03) {
        return blob;
    }
    putHeader(blob, 0x06, "RSA1", der + kPublicExponentAt);
    putReversed(blob, 20, der + kPublicModulusAt, kModulus);
    return blob;
}

std::vector<unsigned char> RawRsaKeyBlob::privateBlob(const unsigned char* der, size_t size) {
    std::vector<unsigned char> blob(kPrivateBlobSize, 0);
    if (der == nullptr || size < kPrivateIntegersAt) {
        return blob;
    }
    for (const Fixed& fixed : kPrivateFixed) {
        if (!std::equal(fixed.bytes.begin(), fixed.bytes.begin() + fixed.count, der + fixed.at)) {
            return blob;
        }
    }
    // privateExponent, prime1, prime2, exponent1, exponent2, coefficient, big-endian.
    std::array<unsigned char, kModulus> d{};
    std::array<std::array<unsigned char, kHalf>, 5> halves{};
    size_t at = kPrivateIntegersAt;
    if (!readInteger(der, size, at, kModulus, d.data())) {
        return blob;
    }
    for (auto& half : halves) {
        if (!readInteger(der, size, at, kHalf, half.data())) {
            return blob;
        }
    }
    // Blob order: modulus, prime1, prime2, exponent1, exponent2, coefficient, privateExponent.
    putHeader(blob, 0x07, "RSA2", der + kPrivateExponentAt);
    size_t out = 20;
    putReversed(blob, out, der + kPrivateModulusAt, kModulus);
    out += kModulus;
    for (const auto& half : halves) {
        putReversed(blob, out, half.data(), kHalf);
        out += kHalf;
    }
    putReversed(blob, out, d.data(), kModulus);
    return blob;
}

} // namespace component::envelopes

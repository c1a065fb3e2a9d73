#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace stream::base64 {

inline constexpr char kAlphabet[] =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// Value of every byte in the alphabet, 0xFF for the others.
inline constexpr std::array<uint8_t, 256> kDecode = [] {
    std::array<uint8_t, 256> table{};
    table.fill(0xFF);
    for (int i = 0; i < 64; ++i) {
        table[static_cast<unsigned char>(kAlphabet[i])] = static_cast<uint8_t>(i);
    }
    return table;
}();

// The two characters of every 12-bit value, so that a 3-byte group takes two lookups.
inline constexpr std::array<uint16_t, 4096> kPairs = [] {
    std::array<uint16_t, 4096> table{};
    for (int i = 0; i < 4096; ++i) {
        // First character in the high byte, second in the low byte.
        table[i] = static_cast<uint16_t>((static_cast<unsigned char>(kAlphabet[i >> 6]) << 8) |
                                         static_cast<unsigned char>(kAlphabet[i & 63]));
    }
    return table;
}();

// Encodes n / 3 whole groups of src into dst (4 characters per group); returns the number of
// characters written. CharT is char or char16_t (text written straight into UTF-16 storage).
template <typename CharT>
inline size_t encodeGroups(const unsigned char* src, size_t n, CharT* dst) {
    size_t groups = n / 3;
    CharT* out = dst;
    for (size_t g = 0; g < groups; ++g, src += 3, out += 4) {
        uint32_t v = (uint32_t(src[0]) << 16) | (uint32_t(src[1]) << 8) | uint32_t(src[2]);
        uint16_t hi = kPairs[v >> 12];
        uint16_t lo = kPairs[v & 0xFFF];
        out[0] = static_cast<CharT>(hi >> 8);
        out[1] = static_cast<CharT>(hi & 0xFF);
        out[2] = static_cast<CharT>(lo >> 8);
        out[3] = static_cast<CharT>(lo & 0xFF);
    }
    return groups * 4;
}

// Encodes the last 1 or 2 bytes with "=" padding into 4 characters.
template <typename CharT> inline void encodeTail(const unsigned char* src, size_t n, CharT* dst) {
    uint32_t v = uint32_t(src[0]) << 16;
    if (n > 1) {
        v |= uint32_t(src[1]) << 8;
    }
    dst[0] = static_cast<CharT>(kAlphabet[(v >> 18) & 63]);
    dst[1] = static_cast<CharT>(kAlphabet[(v >> 12) & 63]);
    dst[2] = static_cast<CharT>(n > 1 ? kAlphabet[(v >> 6) & 63] : '=');
    dst[3] = static_cast<CharT>('=');
}

// The whole one-shot encoding of n bytes (padding included); returns its length. A null dst
// only computes the length.
template <typename CharT> inline size_t encodeAll(CharT* dst, const unsigned char* src, size_t n) {
    size_t length = (n + 2) / 3 * 4;
    if (dst == nullptr) {
        return length;
    }
    size_t written = encodeGroups(src, n, dst);
    if (n % 3 != 0) {
        encodeTail(src + n - n % 3, n % 3, dst + written);
    }
    return length;
}

} // namespace stream::base64

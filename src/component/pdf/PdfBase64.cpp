#include "component/pdf/PdfBase64.h"

#include "component/pdf/PdfText.h"
#include "stream/Base64Alphabet.h"
#include "stream/LargeBlock.h"

#include <cstdint>

namespace component::pdf {

namespace {

constexpr int kPad = 64;

// Value of a character: 0-63 in the alphabet, kPad for "=", -1 for any other.
inline int valueOf(unsigned unit) {
    if (unit == '=') {
        return kPad;
    }
    uint8_t value = unit < 0x100 ? stream::base64::kDecode[unit] : 0xFF;
    return value == 0xFF ? -1 : value;
}

} // namespace

std::string PdfBase64::decode(std::string_view text, size_t spare) {
    std::string out;
    out.reserve(text.size() / 4 * 3 + spare);
    out.resize(text.size() / 4 * 3);
    char* write = out.data();
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const size_t n = text.size();
    size_t i = 0;
    int group[4];
    int filled = 0;
    while (i < n) {
        // Fast path: four alphabet characters in a row, none of them padding.
        if (filled == 0 && i + 4 <= n) {
            unsigned a = stream::base64::kDecode[p[i]];
            unsigned b = stream::base64::kDecode[p[i + 1]];
            unsigned c = stream::base64::kDecode[p[i + 2]];
            unsigned d = stream::base64::kDecode[p[i + 3]];
            if ((a | b | c | d) < 64) {
                unsigned v = (a << 18) | (b << 12) | (c << 6) | d;
                write[0] = static_cast<char>(v >> 16);
                write[1] = static_cast<char>(v >> 8);
                write[2] = static_cast<char>(v);
                write += 3;
                i += 4;
                continue;
            }
        }
        int v = valueOf(p[i++]);
        if (v < 0) {
            continue; // not part of the alphabet: skipped
        }
        group[filled++] = v;
        if (filled < 4) {
            continue;
        }
        filled = 0;
        if (group[0] == kPad || group[1] == kPad) {
            continue; // padding where data must stand: nothing to decode in this group
        }
        *write++ = static_cast<char>((group[0] << 2) | (group[1] >> 4));
        if (group[2] == kPad) {
            continue;
        }
        *write++ = static_cast<char>(((group[1] & 0x0F) << 4) | (group[2] >> 2));
        if (group[3] == kPad) {
            continue;
        }
        *write++ = static_cast<char>(((group[2] & 0x03) << 6) | group[3]);
    }
    out.resize(static_cast<size_t>(write - out.data()));
    return out;
}

std::string PdfBase64::decodeUtf16(std::u16string_view text, size_t spare) {
    std::string out;
    out.reserve(text.size() / 4 * 3 + spare);
    // The zero fill below is the first touch of a large block: memory in one request.
    stream::prefault(out.data(), out.capacity());
    out.resize(text.size() / 4 * 3);
    char* write = out.data();
    const size_t n = text.size();
    int group[4];
    int filled = 0;
    size_t i = 0;
    while (i < n) {
        // Fast path: four ASCII alphabet characters, the next one not a combining mark.
        if (filled == 0 && i + 4 <= n && (i + 4 == n || text[i + 4] < 0x0300)) {
            char16_t u0 = text[i], u1 = text[i + 1], u2 = text[i + 2], u3 = text[i + 3];
            if ((u0 | u1 | u2 | u3) < 0x80) {
                unsigned a = stream::base64::kDecode[u0], b = stream::base64::kDecode[u1],
                         c = stream::base64::kDecode[u2], d = stream::base64::kDecode[u3];
                if ((a | b | c | d) < 64) {
                    unsigned v = (a << 18) | (b << 12) | (c << 6) | d;
                    write[0] = static_cast<char>(v >> 16);
                    write[1] = static_cast<char>(v >> 8);
                    write[2] = static_cast<char>(v);
                    write += 3;
                    i += 4;
                    continue;
                }
            }
        }
        char16_t unit = text[i++];
        if (unit >= 0x80) {
            continue; // converts to a byte outside the alphabet (or to "?")
        }
        if (i < n && PdfText::composes(unit, text[i])) {
            ++i; // composed into a letter outside the alphabet
            continue;
        }
        int v = valueOf(unit);
        if (v < 0) {
            continue;
        }
        group[filled++] = v;
        if (filled < 4) {
            continue;
        }
        filled = 0;
        if (group[0] == kPad || group[1] == kPad) {
            continue;
        }
        *write++ = static_cast<char>((group[0] << 2) | (group[1] >> 4));
        if (group[2] == kPad) {
            continue;
        }
        *write++ = static_cast<char>(((group[1] & 0x0F) << 4) | (group[2] >> 2));
        if (group[3] == kPad) {
            continue;
        }
        *write++ = static_cast<char>(((group[2] & 0x03) << 6) | group[3]);
    }
    out.resize(static_cast<size_t>(write - out.data()));
    return out;
}

} // namespace component::pdf

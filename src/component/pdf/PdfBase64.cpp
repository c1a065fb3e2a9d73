#include "component/pdf/PdfBase64.h"

#include "component/pdf/PdfText.h"
#include "stream/LargeBlock.h"

#include <algorithm>
#include <array>

namespace component::pdf {

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

constexpr std::array<signed char, 256> makeTable() {
    std::array<signed char, 256> table{};
    for (auto& entry : table) {
        entry = -1;
    }
    for (int i = 0; i < 64; ++i) {
        table[static_cast<unsigned char>(kAlphabet[i])] = static_cast<signed char>(i);
    }
    table[static_cast<unsigned char>('=')] = 64;
    return table;
}

constexpr std::array<signed char, 256> kTable = makeTable();

} // namespace

size_t PdfBase64::estimatedSize(std::string_view text) {
    size_t size = text.size() / 4 * 3;
    if (!text.empty() && text.back() == '=' && size > 0) {
        --size;
        if (text.size() >= 2 && text[text.size() - 2] == '=' && size > 0) {
            --size;
        }
    }
    return size;
}

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
            int a = kTable[p[i]];
            int b = kTable[p[i + 1]];
            int c = kTable[p[i + 2]];
            int d = kTable[p[i + 3]];
            if ((a | b | c | d) >= 0 && a < 64 && b < 64 && c < 64 && d < 64) {
                unsigned v = (static_cast<unsigned>(a) << 18) | (b << 12) | (c << 6) | d;
                write[0] = static_cast<char>(v >> 16);
                write[1] = static_cast<char>(v >> 8);
                write[2] = static_cast<char>(v);
                write += 3;
                i += 4;
                continue;
            }
        }
        int v = kTable[p[i++]];
        if (v < 0) {
            continue; // not part of the alphabet: skipped
        }
        group[filled++] = v;
        if (filled < 4) {
            continue;
        }
        filled = 0;
        if (group[0] == 64 || group[1] == 64) {
            continue; // padding where data must stand: nothing to decode in this group
        }
        *write++ = static_cast<char>((group[0] << 2) | (group[1] >> 4));
        if (group[2] == 64) {
            continue;
        }
        *write++ = static_cast<char>(((group[1] & 0x0F) << 4) | (group[2] >> 2));
        if (group[3] == 64) {
            continue;
        }
        *write++ = static_cast<char>(((group[2] & 0x03) << 6) | group[3]);
    }
    out.resize(static_cast<size_t>(write - out.data()));
    return out;
}

std::string PdfBase64::encode(std::string_view bytes) {
    std::string out(encodedSize(bytes.size()), '\0');
    encodeTo(bytes, out.data());
    return out;
}

void PdfBase64::encodeTo(std::string_view bytes, char* write) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    size_t i = 0;
    for (; i + 3 <= bytes.size(); i += 3) {
        unsigned v = (p[i] << 16) | (p[i + 1] << 8) | p[i + 2];
        write[0] = kAlphabet[v >> 18];
        write[1] = kAlphabet[(v >> 12) & 63];
        write[2] = kAlphabet[(v >> 6) & 63];
        write[3] = kAlphabet[v & 63];
        write += 4;
    }
    size_t rest = bytes.size() - i;
    if (rest > 0) {
        unsigned v = (p[i] << 16) | (rest == 2 ? p[i + 1] << 8 : 0);
        write[0] = kAlphabet[v >> 18];
        write[1] = kAlphabet[(v >> 12) & 63];
        write[2] = rest == 2 ? kAlphabet[(v >> 6) & 63] : '=';
        write[3] = '=';
    }
}

void PdfBase64::encodeTo(const std::vector<std::string_view>& pieces, char* write) {
    unsigned char carry[3];
    size_t carried = 0;
    for (std::string_view piece : pieces) {
        // Complete a group left over from the previous piece.
        while (carried > 0 && carried < 3 && !piece.empty()) {
            carry[carried++] = static_cast<unsigned char>(piece.front());
            piece.remove_prefix(1);
        }
        if (carried == 3) {
            encodeTo(std::string_view(reinterpret_cast<char*>(carry), 3), write);
            write += 4;
            carried = 0;
        }
        size_t whole = piece.size() / 3 * 3;
        encodeTo(piece.substr(0, whole), write);
        write += whole / 3 * 4;
        for (size_t i = whole; i < piece.size(); ++i) {
            carry[carried++] = static_cast<unsigned char>(piece[i]);
        }
    }
    if (carried > 0) {
        encodeTo(std::string_view(reinterpret_cast<char*>(carry), carried), write);
    }
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
                int a = kTable[u0], b = kTable[u1], c = kTable[u2], d = kTable[u3];
                if ((a | b | c | d) >= 0 && a < 64 && b < 64 && c < 64 && d < 64) {
                    unsigned v = (static_cast<unsigned>(a) << 18) | (b << 12) | (c << 6) | d;
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
        int v = kTable[unit];
        if (v < 0) {
            continue;
        }
        group[filled++] = v;
        if (filled < 4) {
            continue;
        }
        filled = 0;
        if (group[0] == 64 || group[1] == 64) {
            continue;
        }
        *write++ = static_cast<char>((group[0] << 2) | (group[1] >> 4));
        if (group[2] == 64) {
            continue;
        }
        *write++ = static_cast<char>(((group[1] & 0x0F) << 4) | (group[2] >> 2));
        if (group[3] == 64) {
            continue;
        }
        *write++ = static_cast<char>(((group[2] & 0x03) << 6) | group[3]);
    }
    out.resize(static_cast<size_t>(write - out.data()));
    return out;
}

} // namespace component::pdf

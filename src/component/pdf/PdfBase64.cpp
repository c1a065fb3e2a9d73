#include "component/pdf/PdfBase64.h"

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

} // namespace component::pdf

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

std::string PdfBase64::decode(std::string_view text) {
    std::string out;
    out.reserve(text.size() / 4 * 3);
    int group[4];
    int filled = 0;
    for (char ch : text) {
        int v = kTable[static_cast<unsigned char>(ch)];
        if (v < 0) {
            continue;
        }
        group[filled++] = v;
        if (filled < 4) {
            continue;
        }
        filled = 0;
        if (group[0] == 64 || group[1] == 64) {
            continue; // padding where data must stand: nothing to decode in this group
        }
        out += static_cast<char>((group[0] << 2) | (group[1] >> 4));
        if (group[2] == 64) {
            continue;
        }
        out += static_cast<char>(((group[1] & 0x0F) << 4) | (group[2] >> 2));
        if (group[3] == 64) {
            continue;
        }
        out += static_cast<char>(((group[2] & 0x03) << 6) | group[3]);
    }
    return out;
}

std::string PdfBase64::encode(std::string_view bytes) {
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    size_t i = 0;
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    for (; i + 3 <= bytes.size(); i += 3) {
        unsigned v = (p[i] << 16) | (p[i + 1] << 8) | p[i + 2];
        out += kAlphabet[v >> 18];
        out += kAlphabet[(v >> 12) & 63];
        out += kAlphabet[(v >> 6) & 63];
        out += kAlphabet[v & 63];
    }
    size_t rest = bytes.size() - i;
    if (rest == 1) {
        unsigned v = p[i] << 16;
        out += kAlphabet[v >> 18];
        out += kAlphabet[(v >> 12) & 63];
        out += "==";
    } else if (rest == 2) {
        unsigned v = (p[i] << 16) | (p[i + 1] << 8);
        out += kAlphabet[v >> 18];
        out += kAlphabet[(v >> 12) & 63];
        out += kAlphabet[(v >> 6) & 63];
        out += '=';
    }
    return out;
}

} // namespace component::pdf

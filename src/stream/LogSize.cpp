#include "stream/LogSize.h"

#include <limits>

namespace stream {

namespace {

std::string_view trimBlanks(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
        text.remove_suffix(1);
    }
    return text;
}

char upper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

} // namespace

std::optional<uint64_t> parseLogSize(std::string_view text) {
    text = trimBlanks(text);
    constexpr uint64_t kMax = std::numeric_limits<uint64_t>::max();
    uint64_t value = 0;
    size_t i = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        uint64_t digit = static_cast<uint64_t>(text[i] - '0');
        if (value > (kMax - digit) / 10) {
            return std::nullopt;
        }
        value = value * 10 + digit;
    }
    if (i == 0) {
        return std::nullopt;
    }
    std::string_view unit = trimBlanks(text.substr(i));
    if (!unit.empty() && upper(unit.back()) == 'B' && unit.size() <= 2) {
        unit.remove_suffix(1);
    }
    uint64_t scale = 1;
    if (unit.size() == 1) {
        switch (upper(unit[0])) {
        case 'K':
            scale = 1ull << 10;
            break;
        case 'M':
            scale = 1ull << 20;
            break;
        case 'G':
            scale = 1ull << 30;
            break;
        default:
            return std::nullopt;
        }
    } else if (!unit.empty()) {
        return std::nullopt;
    }
    if (value > kMax / scale) {
        return std::nullopt;
    }
    return value * scale;
}

} // namespace stream

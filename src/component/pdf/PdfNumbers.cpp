#include "component/pdf/PdfNumbers.h"

#include <charconv>
#include <cstdio>
#include <limits>

namespace component::pdf {

namespace {

bool isScanBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// Reads one "%d" field at pos; false when no digits follow (sscanf's matching failure).
bool scanInt(std::string_view text, size_t& pos, int32_t& out) {
    while (pos < text.size() && isScanBlank(text[pos])) {
        ++pos;
    }
    size_t p = pos;
    bool negative = false;
    if (p < text.size() && (text[p] == '+' || text[p] == '-')) {
        negative = text[p] == '-';
        ++p;
    }
    if (p >= text.size() || text[p] < '0' || text[p] > '9') {
        return false;
    }
    int64_t value = 0;
    while (p < text.size() && text[p] >= '0' && text[p] <= '9') {
        if (value < (int64_t{1} << 40)) {
            value = value * 10 + (text[p] - '0');
        }
        ++p;
    }
    if (negative) {
        value = -value;
    }
    if (value > std::numeric_limits<int32_t>::max()) {
        value = std::numeric_limits<int32_t>::max();
    } else if (value < std::numeric_limits<int32_t>::min()) {
        value = std::numeric_limits<int32_t>::min();
    }
    out = static_cast<int32_t>(value);
    pos = p;
    return true;
}

} // namespace

int32_t pdfAtol(std::string_view text) {
    size_t pos = 0;
    int32_t value = 0;
    return scanInt(text, pos, value) ? value : 0;
}

int scanTwoInts(std::string_view text, int32_t& a, int32_t& b) {
    size_t pos = 0;
    if (!scanInt(text, pos, a)) {
        return 0;
    }
    return scanInt(text, pos, b) ? 2 : 1;
}

int scanTwoIntsChar(std::string_view text, int32_t& a, int32_t& b, char& c) {
    size_t pos = 0;
    int read = scanTwoInts(text, a, b);
    if (read < 2) {
        return read;
    }
    // Re-scan to find where the second number ended.
    int32_t ignored = 0;
    scanInt(text, pos, ignored);
    scanInt(text, pos, ignored);
    while (pos < text.size() && isScanBlank(text[pos])) {
        ++pos;
    }
    if (pos >= text.size()) {
        return 2;
    }
    c = text[pos];
    return 3;
}

std::string fmtInt(int64_t value) {
    char buffer[24];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

std::string fmtInt10(int64_t value) {
    std::string digits = fmtInt(value < 0 ? -value : value);
    if (digits.size() < 10) {
        digits.insert(0, 10 - digits.size(), '0');
    }
    return value < 0 ? "-" + digits : digits;
}

std::string fmtFixed6(double value) {
    char buffer[400];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 6);
    return std::string(buffer, result.ptr);
}

std::string fmtReference(int64_t number, int64_t generation) {
    return fmtInt(number) + " " + fmtInt(generation) + " R";
}

} // namespace component::pdf

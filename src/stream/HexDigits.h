#pragma once

namespace stream::hex {

// Value of a hexadecimal digit (either case), -1 for any other character.
inline int digitValue(unsigned char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

inline constexpr char kUpper[] = "0123456789ABCDEF";
inline constexpr char kLower[] = "0123456789abcdef";

} // namespace stream::hex

#pragma once

// GUID, CLSID and IID with the Windows layout, a compile-time parser for the registry form,
// and StringFromGUID2 / CLSIDFromString.

#include "com/HResult.h"

#include <optional>
#include <string>
#include <string_view>

struct GUID {
    std::uint32_t Data1;
    std::uint16_t Data2;
    std::uint16_t Data3;
    std::uint8_t Data4[8];
};
using CLSID = GUID;
using IID = GUID;
using CATID = GUID;
using REFGUID = const GUID&;
using REFCLSID = const GUID&;
using REFIID = const GUID&;
using LPCLSID = CLSID*;

constexpr bool IsEqualGUID(REFGUID a, REFGUID b) {
    if (a.Data1 != b.Data1 || a.Data2 != b.Data2 || a.Data3 != b.Data3) {
        return false;
    }
    for (int i = 0; i < 8; ++i) {
        if (a.Data4[i] != b.Data4[i]) {
            return false;
        }
    }
    return true;
}
constexpr bool IsEqualIID(REFIID a, REFIID b) {
    return IsEqualGUID(a, b);
}
constexpr bool IsEqualCLSID(REFCLSID a, REFCLSID b) {
    return IsEqualGUID(a, b);
}
constexpr bool operator==(REFGUID a, REFGUID b) {
    return IsEqualGUID(a, b);
}

namespace com {

// Parses "XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX", with or without braces, case-insensitive.
std::optional<GUID> parseGuid(std::string_view text);

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" in upper case, as the registry writes it.
std::string guidToString(REFGUID guid);

namespace detail {
constexpr int hexValue(char c) {
    return (c >= '0' && c <= '9')   ? c - '0'
           : (c >= 'a' && c <= 'f') ? c - 'a' + 10
           : (c >= 'A' && c <= 'F') ? c - 'A' + 10
                                    : throw "not a hexadecimal digit";
}
constexpr std::uint32_t hexField(const char* s, int digits) {
    std::uint32_t v = 0;
    for (int i = 0; i < digits; ++i) {
        v = (v << 4) | static_cast<std::uint32_t>(hexValue(s[i]));
    }
    return v;
}
} // namespace detail

// Compile-time GUID from "XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX" (no braces):
//   inline constexpr CLSID CLSID_QNContent = com::makeGuid("FA716EF6-BB7F-4F50-BE8B-1695477BD4A2");
consteval GUID makeGuid(const char (&s)[37]) {
    if (s[8] != '-' || s[13] != '-' || s[18] != '-' || s[23] != '-') {
        throw "malformed GUID";
    }
    GUID g{};
    g.Data1 = detail::hexField(s, 8);
    g.Data2 = static_cast<std::uint16_t>(detail::hexField(s + 9, 4));
    g.Data3 = static_cast<std::uint16_t>(detail::hexField(s + 14, 4));
    g.Data4[0] = static_cast<std::uint8_t>(detail::hexField(s + 19, 2));
    g.Data4[1] = static_cast<std::uint8_t>(detail::hexField(s + 21, 2));
    for (int i = 0; i < 6; ++i) {
        g.Data4[2 + i] = static_cast<std::uint8_t>(detail::hexField(s + 24 + 2 * i, 2));
    }
    return g;
}

} // namespace com

inline constexpr GUID GUID_NULL{};
inline constexpr IID IID_NULL{};
inline constexpr CLSID CLSID_NULL{};

// Writes "{...}" (38 characters and a terminator) into `buffer`; returns the number of
// characters written including the terminator, or 0 when `cchMax` is smaller than 39.
int StringFromGUID2(REFGUID guid, LPOLESTR buffer, int cchMax);
// Parses "{...}" (braces required, as Windows does); CO_E_CLASSSTRING when malformed.
HRESULT CLSIDFromString(LPCOLESTR text, LPCLSID clsid);
HRESULT IIDFromString(LPCOLESTR text, IID* iid);

#include "com/Guid.h"

#include <array>
#include <cstdio>

namespace com {

namespace {

int hexDigit(char c) {
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

bool readHex(std::string_view text, std::size_t at, int digits, std::uint32_t& value) {
    value = 0;
    for (int i = 0; i < digits; ++i) {
        int d = hexDigit(text[at + static_cast<std::size_t>(i)]);
        if (d < 0) {
            return false;
        }
        value = (value << 4) | static_cast<std::uint32_t>(d);
    }
    return true;
}

} // namespace

std::optional<GUID> parseGuid(std::string_view text) {
    if (text.size() == 38) {
        if (text.front() != '{' || text.back() != '}') {
            return std::nullopt;
        }
        text = text.substr(1, 36);
    }
    if (text.size() != 36 || text[8] != '-' || text[13] != '-' || text[18] != '-' ||
        text[23] != '-') {
        return std::nullopt;
    }
    GUID g{};
    std::uint32_t v = 0;
    if (!readHex(text, 0, 8, v)) {
        return std::nullopt;
    }
    g.Data1 = v;
    if (!readHex(text, 9, 4, v)) {
        return std::nullopt;
    }
    g.Data2 = static_cast<std::uint16_t>(v);
    if (!readHex(text, 14, 4, v)) {
        return std::nullopt;
    }
    g.Data3 = static_cast<std::uint16_t>(v);
    static constexpr std::array<std::size_t, 8> offsets{19, 21, 24, 26, 28, 30, 32, 34};
    for (std::size_t i = 0; i < offsets.size(); ++i) {
        if (!readHex(text, offsets[i], 2, v)) {
            return std::nullopt;
        }
        g.Data4[i] = static_cast<std::uint8_t>(v);
    }
    return g;
}

std::string guidToString(REFGUID g) {
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                  static_cast<unsigned>(g.Data1), static_cast<unsigned>(g.Data2),
                  static_cast<unsigned>(g.Data3), g.Data4[0], g.Data4[1], g.Data4[2], g.Data4[3],
                  g.Data4[4], g.Data4[5], g.Data4[6], g.Data4[7]);
    return buffer;
}

} // namespace com

int StringFromGUID2(REFGUID guid, LPOLESTR buffer, int cchMax) {
    if (!buffer || cchMax < 39) {
        return 0;
    }
    std::string text = com::guidToString(guid);
    for (std::size_t i = 0; i < text.size(); ++i) {
        buffer[i] = static_cast<OLECHAR>(text[i]);
    }
    buffer[text.size()] = 0;
    return static_cast<int>(text.size()) + 1;
}

HRESULT CLSIDFromString(LPCOLESTR text, LPCLSID clsid) {
    if (!clsid) {
        return E_POINTER;
    }
    *clsid = GUID_NULL;
    if (!text) {
        return S_OK; // a null string is the null GUID, as OLE answers
    }
    std::string narrow;
    for (std::size_t i = 0; text[i] != 0 && i < 40; ++i) {
        if (text[i] > 0x7F) {
            return CO_E_CLASSSTRING;
        }
        narrow.push_back(static_cast<char>(text[i]));
    }
    if (narrow.size() != 38 || narrow.front() != '{') {
        return CO_E_CLASSSTRING;
    }
    auto parsed = com::parseGuid(narrow);
    if (!parsed) {
        return CO_E_CLASSSTRING;
    }
    *clsid = *parsed;
    return S_OK;
}

HRESULT IIDFromString(LPCOLESTR text, IID* iid) {
    HRESULT hr = CLSIDFromString(text, iid);
    return hr == CO_E_CLASSSTRING ? E_INVALIDARG : hr;
}

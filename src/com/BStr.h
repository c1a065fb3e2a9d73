#pragma once

// BSTR in the Windows layout: a 32-bit byte length before the data, UTF-16 code units,
// two zero bytes after. The byte length is kept exactly (odd lengths and zero bytes
// included), so a BSTR can carry arbitrary bytes ("binary strings").
//
// BStr is the owning RAII wrapper; the free functions convert between UTF-8 / UTF-16 /
// bytes and BSTRs.

#include "com/HResult.h"

#include <string>
#include <string_view>

BSTR SysAllocString(const OLECHAR* text);
BSTR SysAllocStringLen(const OLECHAR* text, UINT length);
// `bytes` may be null: the string is then allocated with undefined contents (zeroed here).
BSTR SysAllocStringByteLen(const char* bytes, UINT byteLength);
INT SysReAllocString(BSTR* target, const OLECHAR* text);
INT SysReAllocStringLen(BSTR* target, const OLECHAR* text, UINT length);
void SysFreeString(BSTR text);
UINT SysStringLen(BSTR text);     // in UTF-16 units (byte length / 2, rounded down)
UINT SysStringByteLen(BSTR text); // exact byte length

namespace com {

// UTF-8 <-> UTF-16. Invalid UTF-8 sequences become U+FFFD; lone surrogates in UTF-16 are
// written as U+FFFD in UTF-8.
std::u16string utf8ToUtf16(std::string_view utf8);
std::string utf16ToUtf8(std::u16string_view utf16);

// Allocates a BSTR (null only when out of memory).
BSTR allocBstr(std::u16string_view text);
BSTR allocBstrFromUtf8(std::string_view utf8);
BSTR allocBstrFromBytes(std::string_view bytes); // a binary string of exactly these bytes

std::u16string bstrToUtf16(BSTR text); // all units (embedded zeros kept); null -> empty
std::string bstrToUtf8(BSTR text);
std::string bstrBytes(BSTR text); // the exact bytes of a binary string; null -> empty

// Owns one BSTR (null allowed: a null BSTR is the empty string).
class BStr {
public:
    BStr() = default;
    explicit BStr(std::u16string_view text);
    explicit BStr(const char16_t* text);
    static BStr fromUtf8(std::string_view utf8);
    static BStr fromBytes(std::string_view bytes);
    // Takes ownership of an existing BSTR.
    static BStr attach(BSTR text);

    BStr(const BStr& other);
    BStr& operator=(const BStr& other);
    BStr(BStr&& other) noexcept;
    BStr& operator=(BStr&& other) noexcept;
    ~BStr();

    BSTR get() const { return value_; }
    // Gives up ownership.
    BSTR detach();
    // Frees the current string and returns the address for an [out] parameter.
    BSTR* out();
    // A new BSTR copy for the caller to own (for [out, retval] parameters).
    BSTR copy() const;

    UINT length() const { return SysStringLen(value_); }
    UINT byteLength() const { return SysStringByteLen(value_); }
    bool empty() const { return byteLength() == 0; }
    std::u16string utf16() const { return bstrToUtf16(value_); }
    std::string utf8() const { return bstrToUtf8(value_); }
    std::string bytes() const { return bstrBytes(value_); }

private:
    BSTR value_ = nullptr;
};

} // namespace com

#include "com/BStr.h"

#include "stream/LargeBlock.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>
#include <utility>

namespace {

constexpr std::size_t kPrefix = sizeof(std::uint32_t);
constexpr std::uint64_t kMaxBytes = std::numeric_limits<std::uint32_t>::max() - 16;

// Allocates room for `byteLength` bytes plus the prefix and two zero bytes; the bytes are
// copied from `data` when given, zeroed otherwise. The zeroed block comes from calloc, which
// skips the clearing of fresh pages the system has zeroed already (large strings).
BSTR allocateBytes(const void* data, std::uint64_t byteLength) {
    if (byteLength > kMaxBytes) {
        return nullptr;
    }
    const std::size_t size = kPrefix + static_cast<std::size_t>(byteLength) + 2;
    const bool copy = data && byteLength > 0;
    auto* block = static_cast<unsigned char*>(copy ? std::malloc(size) : std::calloc(1, size));
    if (!block) {
        return nullptr;
    }
    if (size >= stream::kLargeBlock) {
        // A long result (Base64 of a large file) is written straight after allocation.
        stream::adviseLargePages(block, size);
    }
    auto length = static_cast<std::uint32_t>(byteLength);
    std::memcpy(block, &length, kPrefix);
    if (copy) {
        std::memcpy(block + kPrefix, data, static_cast<std::size_t>(byteLength));
        block[kPrefix + byteLength] = 0;
        block[kPrefix + byteLength + 1] = 0;
    }
    return reinterpret_cast<BSTR>(block + kPrefix);
}

unsigned char* blockOf(BSTR text) {
    return reinterpret_cast<unsigned char*>(text) - kPrefix;
}

void appendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

} // namespace

BSTR SysAllocString(const OLECHAR* text) {
    if (!text) {
        return nullptr;
    }
    std::size_t n = 0;
    while (text[n] != 0) {
        ++n;
    }
    return allocateBytes(text, static_cast<std::uint64_t>(n) * 2);
}

BSTR SysAllocStringLen(const OLECHAR* text, UINT length) {
    return allocateBytes(text, static_cast<std::uint64_t>(length) * 2);
}

BSTR SysAllocStringByteLen(const char* bytes, UINT byteLength) {
    return allocateBytes(bytes, byteLength);
}

INT SysReAllocStringLen(BSTR* target, const OLECHAR* text, UINT length) {
    if (!target) {
        return FALSE;
    }
    BSTR fresh = SysAllocStringLen(text, length);
    if (!fresh) {
        return FALSE;
    }
    SysFreeString(*target);
    *target = fresh;
    return TRUE;
}

INT SysReAllocString(BSTR* target, const OLECHAR* text) {
    if (!target) {
        return FALSE;
    }
    std::size_t n = 0;
    while (text && text[n] != 0) {
        ++n;
    }
    if (n > kMaxBytes / 2) {
        return FALSE;
    }
    return SysReAllocStringLen(target, text, static_cast<UINT>(n));
}

void SysFreeString(BSTR text) {
    if (text) {
        std::free(blockOf(text));
    }
}

UINT SysStringByteLen(BSTR text) {
    if (!text) {
        return 0;
    }
    std::uint32_t length = 0;
    std::memcpy(&length, blockOf(text), kPrefix);
    return length;
}

UINT SysStringLen(BSTR text) {
    return SysStringByteLen(text) / 2;
}

namespace com {

std::u16string utf8ToUtf16(std::string_view utf8) {
    std::u16string out;
    out.reserve(utf8.size());
    std::size_t i = 0;
    const std::size_t n = utf8.size();
    auto byteAt = [&](std::size_t k) { return static_cast<unsigned char>(utf8[k]); };
    while (i < n) {
        unsigned char c = byteAt(i);
        char32_t cp = 0xFFFD;
        std::size_t need = 0;
        if (c < 0x80) {
            cp = c;
        } else if (c >= 0xC2 && c <= 0xDF) {
            need = 1;
            cp = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            need = 2;
            cp = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            need = 3;
            cp = c & 0x07;
        } else {
            out.push_back(u'\uFFFD');
            ++i;
            continue;
        }
        std::size_t k = 1;
        for (; k <= need; ++k) {
            if (i + k >= n || (byteAt(i + k) & 0xC0) != 0x80) {
                break;
            }
            cp = (cp << 6) | (byteAt(i + k) & 0x3F);
        }
        if (k <= need) {
            out.push_back(u'\uFFFD');
            i += k;
            continue;
        }
        i += need + 1;
        bool overlong = (need == 2 && cp < 0x800) || (need == 3 && cp < 0x10000);
        if (overlong || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
            out.push_back(u'\uFFFD');
        } else if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(cp));
        }
    }
    return out;
}

std::string utf16ToUtf8(std::u16string_view utf16) {
    std::string out;
    out.reserve(utf16.size());
    for (std::size_t i = 0; i < utf16.size(); ++i) {
        char32_t unit = utf16[i];
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 &&
            utf16[i + 1] <= 0xDFFF) {
            char32_t cp = 0x10000 + ((unit - 0xD800) << 10) + (utf16[i + 1] - 0xDC00);
            appendUtf8(out, cp);
            ++i;
        } else if (unit >= 0xD800 && unit <= 0xDFFF) {
            appendUtf8(out, 0xFFFD);
        } else {
            appendUtf8(out, unit);
        }
    }
    return out;
}

BSTR allocBstr(std::u16string_view text) {
    return allocateBytes(text.data(), static_cast<std::uint64_t>(text.size()) * 2);
}

BSTR allocBstrFromUtf8(std::string_view utf8) {
    return allocBstr(utf8ToUtf16(utf8));
}

BSTR allocBstrFromBytes(std::string_view bytes) {
    return allocateBytes(bytes.data(), bytes.size());
}

std::u16string bstrToUtf16(BSTR text) {
    if (!text) {
        return {};
    }
    return std::u16string(text, SysStringLen(text));
}

std::string bstrToUtf8(BSTR text) {
    return utf16ToUtf8(bstrToUtf16(text));
}

std::string bstrBytes(BSTR text) {
    if (!text) {
        return {};
    }
    return std::string(reinterpret_cast<const char*>(text), SysStringByteLen(text));
}

namespace {
BSTR checked(BSTR value, bool wanted) {
    if (!value && wanted) {
        throw std::bad_alloc();
    }
    return value;
}
} // namespace

BStr::BStr(std::u16string_view text) : value_(checked(allocBstr(text), true)) {}

BStr::BStr(const char16_t* text) : value_(checked(SysAllocString(text), text != nullptr)) {}

BStr BStr::fromUtf8(std::string_view utf8) {
    return attach(checked(allocBstrFromUtf8(utf8), true));
}

BStr BStr::fromBytes(std::string_view bytes) {
    return attach(checked(allocBstrFromBytes(bytes), true));
}

BStr BStr::attach(BSTR text) {
    BStr result;
    result.value_ = text;
    return result;
}

BStr::BStr(const BStr& other) : value_(other.copy()) {}

BStr& BStr::operator=(const BStr& other) {
    if (this != &other) {
        BStr copy(other);
        std::swap(value_, copy.value_);
    }
    return *this;
}

BStr::BStr(BStr&& other) noexcept : value_(std::exchange(other.value_, nullptr)) {}

BStr& BStr::operator=(BStr&& other) noexcept {
    if (this != &other) {
        SysFreeString(value_);
        value_ = std::exchange(other.value_, nullptr);
    }
    return *this;
}

BStr::~BStr() {
    SysFreeString(value_);
}

BSTR BStr::detach() {
    return std::exchange(value_, nullptr);
}

BSTR* BStr::out() {
    SysFreeString(value_);
    value_ = nullptr;
    return &value_;
}

BSTR BStr::copy() const {
    if (!value_) {
        return nullptr;
    }
    return checked(SysAllocStringByteLen(reinterpret_cast<const char*>(value_), byteLength()),
                   true);
}

} // namespace com

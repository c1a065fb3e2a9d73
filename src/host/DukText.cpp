#include "host/DukText.h"

#include "com/BStr.h"

#include <cstdint>
#include <cstring>
#include <memory>
#include <new>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace host {

namespace {

constexpr std::uint64_t kHighBits = 0x8080808080808080ull;
// The longest string Duktape makes (in bytes of its encoding); a longer push would raise
// from inside duk_push_lstring, past the caller's frames.
constexpr std::size_t kMaxStringBytes = 0x7FFFFFFFu;

// The end of the run of ASCII bytes that starts at s[i].
std::size_t asciiEnd(const unsigned char* s, std::size_t i, std::size_t n) {
#if defined(__SSE2__)
    for (; i + 16 <= n; i += 16) {
        __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
        if (_mm_movemask_epi8(v) != 0) {
            break;
        }
    }
#endif
    while (i + 8 <= n) {
        std::uint64_t word;
        std::memcpy(&word, s + i, 8);
        if (word & kHighBits) {
            break;
        }
        i += 8;
    }
    while (i < n && s[i] < 0x80) {
        ++i;
    }
    return i;
}

// Widens ASCII bytes [b, e) into UTF-16 units.
char16_t* widenAscii(const unsigned char* b, const unsigned char* e, char16_t* out) {
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    for (; e - b >= 16; b += 16, out += 16) {
        __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_unpacklo_epi8(v, zero));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 8), _mm_unpackhi_epi8(v, zero));
    }
#endif
    for (; b != e; ++b) {
        *out++ = *b;
    }
    return out;
}

// Narrows the leading ASCII units of in[0, n) into out; returns how many there were.
std::size_t narrowAscii(const char16_t* in, std::size_t n, char* out) {
    std::size_t i = 0;
#if defined(__SSE2__)
    const __m128i high = _mm_set1_epi16(static_cast<short>(0xFF80));
    const __m128i zero = _mm_setzero_si128();
    for (; i + 16 <= n; i += 16) {
        __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i));
        __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i + 8));
        __m128i above = _mm_and_si128(_mm_or_si128(a, b), high);
        if (_mm_movemask_epi8(_mm_cmpeq_epi16(above, zero)) != 0xFFFF) {
            break;
        }
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_packus_epi16(a, b));
    }
#endif
    for (; i < n && in[i] < 0x80; ++i) {
        out[i] = static_cast<char>(in[i]);
    }
    return i;
}

#if defined(__SSE2__)
// The sum of the two 64-bit lanes of the byte sums of _mm_sad_epu8.
std::size_t laneSum(__m128i sums) {
    std::uint64_t lanes[2];
    _mm_storeu_si128(reinterpret_cast<__m128i*>(lanes), sums);
    return static_cast<std::size_t>(lanes[0] + lanes[1]);
}
#endif

// The number of bytes with the high bit set.
std::size_t countHigh(const unsigned char* s, std::size_t n) {
    std::size_t count = 0;
    std::size_t i = 0;
#if defined(__SSE2__)
    const __m128i one = _mm_set1_epi8(1);
    __m128i sums = _mm_setzero_si128();
    for (; i + 16 <= n; i += 16) {
        __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
        __m128i bits = _mm_and_si128(_mm_srli_epi16(v, 7), one);
        sums = _mm_add_epi64(sums, _mm_sad_epu8(bits, _mm_setzero_si128()));
    }
    count = laneSum(sums);
#endif
    for (; i < n; ++i) {
        count += s[i] >> 7;
    }
    return count;
}

// The number of continuation bytes (0x80..0xBF).
std::size_t countContinuation(const unsigned char* s, std::size_t n) {
    std::size_t count = 0;
    std::size_t i = 0;
#if defined(__SSE2__)
    const __m128i limit = _mm_set1_epi8(-64); // 0x80..0xBF are below it as signed bytes
    const __m128i one = _mm_set1_epi8(1);
    __m128i sums = _mm_setzero_si128();
    for (; i + 16 <= n; i += 16) {
        __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
        __m128i bits = _mm_and_si128(_mm_cmplt_epi8(v, limit), one);
        sums = _mm_add_epi64(sums, _mm_sad_epu8(bits, _mm_setzero_si128()));
    }
    count = laneSum(sums);
#endif
    for (; i < n; ++i) {
        count += (s[i] & 0xC0) == 0x80;
    }
    return count;
}

// Decodes the non-ASCII sequence at s[i] (s[i] >= 0x80) into a code point and returns the
// index after it; a stray or truncated sequence is U+FFFD and one byte.
std::size_t decodeOne(const unsigned char* s, std::size_t i, std::size_t n, char32_t& cp) {
    unsigned char c = s[i];
    std::size_t need = 0;
    if ((c & 0xE0) == 0xC0) {
        need = 1;
        cp = c & 0x1F;
    } else if ((c & 0xF0) == 0xE0) {
        need = 2;
        cp = c & 0x0F;
    } else if ((c & 0xF8) == 0xF0) {
        need = 3;
        cp = c & 0x07;
    } else {
        cp = 0xFFFD;
        return i + 1;
    }
    for (std::size_t k = 1; k <= need; ++k) {
        if (i + k >= n || (s[i + k] & 0xC0) != 0x80) {
            cp = 0xFFFD;
            return i + 1;
        }
        cp = (cp << 6) | (s[i + k] & 0x3F);
    }
    return i + need + 1;
}

// Decodes Duktape's internal string bytes: runs of ASCII go to `ascii(begin, end)`, every
// other code point (non-BMP ones whole, stray bytes as U+FFFD) to `other(cp)`.
template <class Ascii, class Other>
void decode(const unsigned char* s, std::size_t n, Ascii&& ascii, Other&& other) {
    std::size_t i = 0;
    while (i < n) {
        std::size_t end = asciiEnd(s, i, n);
        if (end > i) {
            ascii(s + i, s + end);
            i = end;
            if (i == n) {
                break;
            }
        }
        char32_t cp = 0;
        i = decodeOne(s, i, n, cp);
        other(cp);
    }
}

std::size_t unitsOf(char32_t cp) {
    return cp >= 0x10000 && cp <= 0x10FFFF ? 2 : 1;
}

char16_t* putUnits(char16_t* out, char32_t cp) {
    if (cp >= 0x10000 && cp <= 0x10FFFF) {
        cp -= 0x10000;
        *out++ = static_cast<char16_t>(0xD800 + (cp >> 10));
        *out++ = static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
    } else if (cp > 0x10FFFF) {
        *out++ = u'\uFFFD';
    } else {
        *out++ = static_cast<char16_t>(cp);
    }
    return out;
}

// The number of UTF-16 units of Duktape string bytes.
std::size_t countUnits(const unsigned char* s, std::size_t n) {
    std::size_t units = 0;
    decode(
        s, n, [&](const unsigned char* b, const unsigned char* e) { units += e - b; },
        [&](char32_t cp) { units += unitsOf(cp); });
    return units;
}

void writeUnits(const unsigned char* s, std::size_t n, char16_t* out) {
    decode(
        s, n, [&](const unsigned char* b, const unsigned char* e) { out = widenAscii(b, e, out); },
        [&](char32_t cp) { out = putUnits(out, cp); });
}

// Decodes a binary string (characters 0..255) into `out`, which has room for one byte per
// character; returns the bytes written, or -1 when a character is above 255.
std::ptrdiff_t writeBytes(const unsigned char* s, std::size_t n, unsigned char* out) {
    unsigned char* const start = out;
    std::size_t i = 0;
    while (i < n) {
        std::size_t end = asciiEnd(s, i, n);
        std::memcpy(out, s + i, end - i);
        out += end - i;
        i = end;
        // Bytes 0x80..0xFF are C2/C3 followed by a continuation byte; ASCII mixed in is
        // handled here too, without a branch per character.
        while (i + 1 < n) {
            unsigned c = s[i];
            unsigned d = s[i + 1];
            bool one = c < 0x80;
            bool two = (c & 0xFE) == 0xC2 && (d & 0xC0) == 0x80;
            if (!(one | two)) {
                break;
            }
            *out++ = static_cast<unsigned char>(one ? c : ((c & 0x1F) << 6) | (d & 0x3F));
            i += two ? 2 : 1;
        }
        if (i < n) {
            if (s[i] < 0x80) {
                *out++ = s[i++];
                continue;
            }
            char32_t cp = 0;
            i = decodeOne(s, i, n, cp);
            if (cp > 0xFF) {
                return -1;
            }
            *out++ = static_cast<unsigned char>(cp);
        }
    }
    return out - start;
}

// The number of characters of Duktape string bytes (lead and ASCII bytes): exactly what
// writeBytes writes when it succeeds, since a stray or missing continuation byte fails it.
std::size_t countChars(const unsigned char* s, std::size_t n) {
    return n - countContinuation(s, n);
}

const unsigned char* stringAt(duk_context* ctx, duk_idx_t idx, std::size_t& n) {
    duk_size_t length = 0;
    const char* s = duk_get_lstring(ctx, idx, &length);
    n = s ? length : 0;
    return reinterpret_cast<const unsigned char*>(s);
}

} // namespace

std::u16string toUtf16(duk_context* ctx, duk_idx_t idx) {
    std::size_t n = 0;
    const unsigned char* s = stringAt(ctx, idx, n);
    std::u16string out;
    if (!s) {
        return out;
    }
    out.resize(countUnits(s, n));
    writeUnits(s, n, out.data());
    return out;
}

BSTR toBstr(duk_context* ctx, duk_idx_t idx) {
    std::size_t n = 0;
    const unsigned char* s = stringAt(ctx, idx, n);
    std::size_t units = s ? countUnits(s, n) : 0;
    if (units > 0x7FFFFFFFu) {
        return nullptr;
    }
    BSTR text = SysAllocStringLen(nullptr, static_cast<UINT>(units));
    if (text && units > 0) {
        writeUnits(s, n, text);
    }
    return text;
}

bool pushUtf16(duk_context* ctx, std::u16string_view text, char* scratch) {
    // Every unit is its own sequence of 1 to 3 bytes. Text that is all ASCII is narrowed in
    // one pass (into the scratch storage when there is one) and pushed as it is; otherwise
    // the exact length is counted from the first other unit on. Narrowing in place writes
    // byte i only after unit i has been read, so the units not yet narrowed stay intact.
    const std::size_t n = text.size();
    std::unique_ptr<char[]> own;
    char* bytes = scratch;
    if (bytes == nullptr) {
        own.reset(new char[n + 1]);
        bytes = own.get();
    }
    const std::size_t ascii = narrowAscii(text.data(), n, bytes);
    if (ascii == n) {
        if (n > kMaxStringBytes) {
            return false;
        }
        duk_push_lstring(ctx, bytes, n);
        return true;
    }
    std::size_t length = ascii;
    for (std::size_t i = ascii; i < n; ++i) {
        char16_t unit = text[i];
        length += 1 + (unit >= 0x80) + (unit >= 0x800);
    }
    if (length > kMaxStringBytes) {
        return false;
    }
    std::unique_ptr<char[]> encoded(new char[length]);
    std::memcpy(encoded.get(), bytes, ascii);
    own.reset();
    char* out = encoded.get() + ascii;
    std::size_t i = ascii;
    while (i < n) {
        char16_t unit = text[i];
        if (unit < 0x80) {
            std::size_t run = narrowAscii(text.data() + i, n - i, out);
            out += run;
            i += run;
            continue;
        }
        if (unit < 0x800) {
            *out++ = static_cast<char>(0xC0 | (unit >> 6));
            *out++ = static_cast<char>(0x80 | (unit & 0x3F));
        } else {
            *out++ = static_cast<char>(0xE0 | (unit >> 12));
            *out++ = static_cast<char>(0x80 | ((unit >> 6) & 0x3F));
            *out++ = static_cast<char>(0x80 | (unit & 0x3F));
        }
        ++i;
    }
    duk_push_lstring(ctx, encoded.get(), length);
    return true;
}

bool toBytes(duk_context* ctx, duk_idx_t idx, std::string& bytes) {
    std::size_t n = 0;
    const unsigned char* s = stringAt(ctx, idx, n);
    bytes.clear();
    if (!s || n == 0) {
        return true;
    }
    bytes.resize(countChars(s, n));
    std::ptrdiff_t written = writeBytes(s, n, reinterpret_cast<unsigned char*>(bytes.data()));
    if (written < 0) {
        bytes.clear();
        return false;
    }
    bytes.resize(static_cast<std::size_t>(written));
    return true;
}

bool toBinaryBstr(duk_context* ctx, duk_idx_t idx, BSTR& text) {
    text = nullptr;
    std::size_t n = 0;
    const unsigned char* s = stringAt(ctx, idx, n);
    std::size_t chars = s ? countChars(s, n) : 0;
    if (chars > 0xFFFFFFF0u) {
        return true; // too long: null, out of memory
    }
    BSTR result = SysAllocStringByteLen(nullptr, static_cast<UINT>(chars));
    if (!result || chars == 0) {
        text = result;
        return true;
    }
    auto* out = reinterpret_cast<unsigned char*>(result);
    std::ptrdiff_t written = writeBytes(s, n, out);
    if (written < 0) {
        SysFreeString(result);
        return false;
    }
    text = result;
    return true;
}

bool pushBytes(duk_context* ctx, std::string_view bytes) {
    const auto* in = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::size_t n = bytes.size();
    if (n > kMaxStringBytes) {
        return false;
    }
    // Bytes that are all ASCII (Base64 and hexadecimal text) are their own encoding.
    const std::size_t first = asciiEnd(in, 0, n);
    if (first == n) {
        duk_push_lstring(ctx, bytes.data(), n);
        return true;
    }
    const std::size_t length = n + countHigh(in + first, n - first);
    if (length > kMaxStringBytes) {
        return false;
    }
    // One spare byte: every byte writes two and advances by its own length.
    std::unique_ptr<unsigned char[]> encoded(new unsigned char[length + 1]);
    std::memcpy(encoded.get(), in, first);
    unsigned char* out = encoded.get() + first;
    std::size_t i = first;
    while (i < n) {
        std::size_t end = asciiEnd(in, i, n);
        std::memcpy(out, in + i, end - i);
        out += end - i;
        // Up to the next run of eight ASCII bytes, one character at a time.
        std::size_t stop = end + 64 < n ? end + 64 : n;
        for (i = end; i < stop; ++i) {
            unsigned b = in[i];
            out[0] = static_cast<unsigned char>(b < 0x80 ? b : 0xC0 | (b >> 6));
            out[1] = static_cast<unsigned char>(0x80 | (b & 0x3F));
            out += 1 + (b >> 7);
        }
    }
    duk_push_lstring(ctx, reinterpret_cast<const char*>(encoded.get()), length);
    return true;
}

} // namespace host

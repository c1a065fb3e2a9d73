#include "host/DukText.h"

namespace host {

namespace {

// Decodes Duktape's internal string bytes into code points (non-BMP ones split into
// surrogate pairs); stray bytes become U+FFFD.
template <class Sink> void decode(const unsigned char* s, std::size_t n, Sink&& sink) {
    std::size_t i = 0;
    while (i < n) {
        unsigned char c = s[i];
        std::size_t need = 0;
        char32_t cp = 0;
        if (c < 0x80) {
            cp = c;
        } else if ((c & 0xE0) == 0xC0) {
            need = 1;
            cp = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            need = 2;
            cp = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            need = 3;
            cp = c & 0x07;
        } else {
            sink(0xFFFD);
            ++i;
            continue;
        }
        bool ok = true;
        for (std::size_t k = 1; k <= need; ++k) {
            if (i + k >= n || (s[i + k] & 0xC0) != 0x80) {
                ok = false;
                break;
            }
            cp = (cp << 6) | (s[i + k] & 0x3F);
        }
        if (!ok) {
            sink(0xFFFD);
            ++i;
            continue;
        }
        i += need + 1;
        sink(cp);
    }
}

void appendUnit(std::string& out, char16_t unit) {
    if (unit < 0x80) {
        out.push_back(static_cast<char>(unit));
    } else if (unit < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (unit >> 6)));
        out.push_back(static_cast<char>(0x80 | (unit & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xE0 | (unit >> 12)));
        out.push_back(static_cast<char>(0x80 | ((unit >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (unit & 0x3F)));
    }
}

} // namespace

std::u16string toUtf16(duk_context* ctx, duk_idx_t idx) {
    duk_size_t n = 0;
    const char* s = duk_get_lstring(ctx, idx, &n);
    std::u16string out;
    if (!s) {
        return out;
    }
    out.reserve(n);
    decode(reinterpret_cast<const unsigned char*>(s), n, [&](char32_t cp) {
        if (cp >= 0x10000 && cp <= 0x10FFFF) {
            cp -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else if (cp > 0x10FFFF) {
            out.push_back(u'\uFFFD');
        } else {
            out.push_back(static_cast<char16_t>(cp));
        }
    });
    return out;
}

void pushUtf16(duk_context* ctx, std::u16string_view text) {
    std::string bytes;
    bytes.reserve(text.size() * 3);
    for (char16_t unit : text) {
        appendUnit(bytes, unit);
    }
    duk_push_lstring(ctx, bytes.data(), bytes.size());
}

bool toBytes(duk_context* ctx, duk_idx_t idx, std::string& bytes) {
    duk_size_t n = 0;
    const char* s = duk_get_lstring(ctx, idx, &n);
    bytes.clear();
    if (!s) {
        return true;
    }
    bytes.reserve(n);
    bool ok = true;
    decode(reinterpret_cast<const unsigned char*>(s), n, [&](char32_t cp) {
        if (cp > 0xFF) {
            ok = false;
        } else {
            bytes.push_back(static_cast<char>(cp));
        }
    });
    return ok;
}

void pushBytes(duk_context* ctx, std::string_view bytes) {
    std::string encoded;
    encoded.reserve(bytes.size() * 2);
    for (char c : bytes) {
        appendUnit(encoded, static_cast<unsigned char>(c));
    }
    duk_push_lstring(ctx, encoded.data(), encoded.size());
}

} // namespace host

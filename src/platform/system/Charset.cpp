#include "platform/system/Charset.h"

#include "com/BStr.h"

namespace platform::system {

namespace {

constexpr char16_t kReplacement = 0xFFFD;

bool isHighSurrogate(char16_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}
bool isLowSurrogate(char16_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

void appendCodePoint(std::u16string& out, char32_t cp) {
    if (cp < 0x10000) {
        out.push_back(static_cast<char16_t>(cp));
    } else {
        cp -= 0x10000;
        out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    }
}

bool isContinuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

} // namespace

Charset::Kind Charset::fromName(std::string_view name) noexcept {
    if (name == "UTF-8") {
        return Kind::Utf8;
    }
    if (name == "UTF-16" || name == "UTF-16LE") {
        return Kind::Utf16LE;
    }
    if (name == "UTF-16BE") {
        return Kind::Utf16BE;
    }
    if (name == "ISO-8859-1") {
        return Kind::Latin1;
    }
    if (name == "US-ASCII") {
        return Kind::Ascii;
    }
    return Kind::Ansi;
}

bool Charset::isByteOriented(Kind kind) noexcept {
    return kind != Kind::Utf16LE && kind != Kind::Utf16BE;
}

std::u16string Charset::decode(Kind kind, const unsigned char* bytes, size_t n) {
    switch (kind) {
    case Kind::Utf16LE:
        return decodeUtf16(bytes, n, false);
    case Kind::Utf16BE:
        return decodeUtf16(bytes, n, true);
    case Kind::Latin1:
        return decodeSingleByte(bytes, n, 0xFF);
    case Kind::Ascii:
        return decodeSingleByte(bytes, n, 0x7F);
    case Kind::Ansi:
    case Kind::Utf8:
        break;
    }
    return decodeUtf8(bytes, n);
}

std::string Charset::encode(Kind kind, std::u16string_view text) {
    switch (kind) {
    case Kind::Utf16LE:
        return encodeUtf16(text, false);
    case Kind::Utf16BE:
        return encodeUtf16(text, true);
    case Kind::Latin1:
        return encodeSingleByte(text, 0xFF);
    case Kind::Ascii:
        return encodeSingleByte(text, 0x7F);
    case Kind::Ansi:
    case Kind::Utf8:
        break;
    }
    return encodeUtf8(text);
}

std::u16string Charset::fromAnsi(std::string_view bytes) {
    return decodeUtf8(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
}

std::string Charset::toAnsi(std::u16string_view text) {
    return encodeUtf8(text);
}

std::u16string Charset::decodeUtf8(const unsigned char* bytes, size_t n) {
    std::u16string out;
    out.reserve(n);
    size_t i = 0;
    while (i < n) {
        unsigned char lead = bytes[i];
        if (lead < 0x80) {
            out.push_back(lead);
            ++i;
            continue;
        }
        size_t length = 0;
        char32_t cp = 0;
        char32_t minimum = 0;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
            cp = lead & 0x1F;
            minimum = 0x80;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            cp = lead & 0x0F;
            minimum = 0x800;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            cp = lead & 0x07;
            minimum = 0x10000;
        }
        if (length == 0) {
            out.push_back(kReplacement);
            ++i;
            continue;
        }
        size_t got = 1;
        while (got < length && i + got < n && isContinuation(bytes[i + got])) {
            cp = (cp << 6) | (bytes[i + got] & 0x3F);
            ++got;
        }
        if (got < length) {
            // A truncated sequence is one rejected run; the byte that stopped it starts over.
            out.push_back(kReplacement);
            i += got;
            continue;
        }
        if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
            out.push_back(kReplacement);
        } else {
            appendCodePoint(out, cp);
        }
        i += length;
    }
    return out;
}

std::string Charset::encodeUtf8(std::u16string_view text) {
    return com::utf16ToUtf8(text);
}

std::u16string Charset::decodeUtf16(const unsigned char* bytes, size_t n, bool bigEndian) {
    std::u16string out;
    out.reserve(n / 2 + 1);
    size_t i = 0;
    for (; i + 1 < n; i += 2) {
        char16_t unit = bigEndian ? static_cast<char16_t>((bytes[i] << 8) | bytes[i + 1])
                                  : static_cast<char16_t>((bytes[i + 1] << 8) | bytes[i]);
        out.push_back(unit);
    }
    if (i < n) {
        out.push_back(kReplacement);
    }
    return out;
}

std::string Charset::encodeUtf16(std::u16string_view text, bool bigEndian) {
    std::string out;
    out.reserve(text.size() * 2);
    for (char16_t unit : text) {
        char high = static_cast<char>(unit >> 8);
        char low = static_cast<char>(unit & 0xFF);
        if (bigEndian) {
            out.push_back(high);
            out.push_back(low);
        } else {
            out.push_back(low);
            out.push_back(high);
        }
    }
    return out;
}

std::u16string Charset::decodeSingleByte(const unsigned char* bytes, size_t n, char16_t max) {
    std::u16string out;
    out.reserve(n);
    for (size_t i = 0; i < n; ++i) {
        out.push_back(bytes[i] <= max ? static_cast<char16_t>(bytes[i]) : kReplacement);
    }
    return out;
}

std::string Charset::encodeSingleByte(std::u16string_view text, char16_t max) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        char16_t unit = text[i];
        if (unit <= max) {
            out.push_back(static_cast<char>(unit));
            continue;
        }
        if (isHighSurrogate(unit) && i + 1 < text.size() && isLowSurrogate(text[i + 1])) {
            ++i;
        }
        out.push_back('?');
    }
    return out;
}

} // namespace platform::system

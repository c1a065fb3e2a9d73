#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace platform::system {

// Conversions between bytes in a character set and UTF-16 text (the text of a BSTR).
//
// Names (exact, case-sensitive): "UTF-8", "UTF-16" and "UTF-16LE" (little-endian, no byte
// order mark), "UTF-16BE", "ISO-8859-1", "US-ASCII"; any other name, the empty one included,
// is the ANSI code page, which is UTF-8 on this platform.
//
// Decoding: a malformed UTF-8 sequence (bad lead byte, truncated or overlong sequence,
// encoded surrogate, value above U+10FFFF) gives one U+FFFD per rejected byte run, as
// MultiByteToWideChar does; a US-ASCII byte above 0x7F gives U+FFFD; an odd trailing byte of
// UTF-16 gives U+FFFD. Encoding: a lone surrogate gives U+FFFD in UTF-8; a character that the
// 8-bit sets cannot hold gives "?" (one per character, a surrogate pair being one character).
class Charset {
public:
    enum class Kind { Ansi, Utf8, Utf16LE, Utf16BE, Latin1, Ascii };

    static Kind fromName(std::string_view name) noexcept;
    // True for the sets with one byte (or a UTF-8 run) per character.
    static bool isByteOriented(Kind kind) noexcept;

    static std::u16string decode(Kind kind, const unsigned char* bytes, size_t n);
    static std::string encode(Kind kind, std::u16string_view text);

    // The ANSI code page (UTF-8).
    static std::u16string fromAnsi(std::string_view bytes);
    static std::string toAnsi(std::u16string_view text);

private:
    static std::u16string decodeUtf8(const unsigned char* bytes, size_t n);
    static std::string encodeUtf8(std::u16string_view text);
    static std::u16string decodeUtf16(const unsigned char* bytes, size_t n, bool bigEndian);
    static std::string encodeUtf16(std::u16string_view text, bool bigEndian);
    static std::u16string decodeSingleByte(const unsigned char* bytes, size_t n, char16_t max);
    static std::string encodeSingleByte(std::u16string_view text, char16_t max);
};

} // namespace platform::system

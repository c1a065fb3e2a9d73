#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace component::pdf {

// The engine's base64 decoding: groups of four characters of the RFC 4648 alphabet (with "="
// padding), skipping every other character, each group giving 3, 2 or 1 bytes by its padding
// and nothing when "=" stands where data must; a last group left incomplete gives nothing.
// Encoding is the stream library's (base64EncodeRaw).
class PdfBase64 {
public:
    // spare: room reserved beyond the decoded bytes, for data appended later.
    static std::string decode(std::string_view text, size_t spare = 0);
    // decode(PdfText::toWindows1252(text)) without the intermediate text: a character
    // survives the conversion as an alphabet character only when it is ASCII and not
    // composed with a following combining mark.
    static std::string decodeUtf16(std::u16string_view text, size_t spare = 0);
};

} // namespace component::pdf

#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace component::pdf {

// The engine's base64: decoding takes groups of four characters of the RFC 4648 alphabet
// (with "=" padding), skipping every other character, and yields exactly the decoded bytes;
// encoding writes the standard alphabet with "=" padding and no line breaks.
class PdfBase64 {
public:
    // (length / 4) * 3, less one for a final "=" and one more for "==": the size the text
    // announces when it carries no line breaks.
    static size_t estimatedSize(std::string_view text);
    // spare: room reserved beyond the decoded bytes, for data appended later.
    static std::string decode(std::string_view text, size_t spare = 0);
    static std::string encode(std::string_view bytes);
    static size_t encodedSize(size_t length) { return (length + 2) / 3 * 4; }
    // Writes encodedSize(bytes.size()) characters to out.
    static void encodeTo(std::string_view bytes, char* out);
    // The text of the concatenation of the pieces, without joining them first.
    static void encodeTo(const std::vector<std::string_view>& pieces, char* out);
    // decode(PdfText::toWindows1252(text)) without the intermediate text: a character
    // survives the conversion as an alphabet character only when it is ASCII and not
    // composed with a following combining mark.
    static std::string decodeUtf16(std::u16string_view text, size_t spare = 0);
};

} // namespace component::pdf

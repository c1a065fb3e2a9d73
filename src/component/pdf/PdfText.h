#pragma once

#include <string>
#include <string_view>

namespace component::pdf {

// Text conversions of the PDF scripting class.
class PdfText {
public:
    // UTF-16 to Windows-1252 (the encoding of the /WinAnsiEncoding fonts): a base letter
    // followed by a combining accent is composed first; characters without a Windows-1252
    // form become "?".
    static std::string toWindows1252(std::u16string_view text);
    // Escapes "\", "(" and ")" for a PDF literal string.
    static std::string escapeLiteral(std::string_view text);
    // The bytes a literal string's content (without its parentheses) stands for: escapes
    // "\n", "\r", "\t", "\b", "\f", "\(", "\)", "\\", up to three octal digits, and a
    // backslash before an end of line (which then stands for nothing) are decoded; a backslash
    // before any other byte stands for that byte.
    static std::string unescapeLiteral(std::string_view content);
    // True when toWindows1252 merges base and the combining mark after it into one
    // precomposed character.
    static bool composes(char16_t base, char16_t mark);
};

} // namespace component::pdf

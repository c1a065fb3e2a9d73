#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace stream {

// A byte string value. Every operation returns a new value and leaves the receiver unchanged.
class StringUtil {
public:
    StringUtil() = default;
    StringUtil(std::string text) : text_(std::move(text)) {}
    StringUtil(std::string_view text) : text_(text) {}
    StringUtil(const char* text) : text_(text ? text : "") {} // null gives ""
    explicit StringUtil(int32_t value);                       // "%i"
    explicit StringUtil(uint32_t value);                      // "%u"

    const std::string& str() const noexcept { return text_; }
    operator const std::string&() const noexcept { return text_; }

    // a-z -> A-Z, and the UTF-8 forms of á é í ñ ó ú -> Á É Í Ñ Ó Ú; every other byte and
    // sequence unchanged.
    StringUtil toUpperCase() const;
    // Removes the characters of chars at the end, then at the start.
    StringUtil trim(std::string_view chars = " \t") const;
    // Tokens between delimiter characters, empty tokens dropped.
    std::vector<std::string> split(std::string_view delimiters) const;
    // Every occurrence of from (left to right, continuing after the inserted text); an empty
    // from leaves the string unchanged.
    StringUtil replaceAll(std::string_view from, std::string_view to) const;
    bool startsWith(std::string_view prefix) const;
    // The value read with "%u" (leading blanks and a sign accepted, wrapping modulo 2^32);
    // raises UtilStreamException when the text does not start with a number.
    uint32_t longValue() const;

    static std::string toUpperCase(std::string_view text);
    static std::string trim(std::string_view text, std::string_view chars);

    bool operator==(const StringUtil& other) const = default;

private:
    std::string text_;
};

} // namespace stream

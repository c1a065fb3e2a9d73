#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace stream {

// Cuts a text at single delimiter characters. The token list is built at construction.
// Mode 0: every piece is a token (empty ones too); mode 1: empty pieces dropped; mode 2: like
// mode 0, and every delimiter is also returned as a one-character token after its piece.
class Tokenizer {
public:
    enum Mode { KEEP_EMPTY = 0, SKIP_EMPTY = 1, RETURN_DELIMITERS = 2 };

    Tokenizer(std::string_view text, std::string_view delimiters, int mode = KEEP_EMPTY);

    bool hasMoreTokens() const noexcept { return cursor_ < tokens_.size(); }
    // The next token; raises TokenizerException when none is left.
    std::string NextToken();
    // Number of tokens in the list (not only those left).
    size_t countTokens() const noexcept { return tokens_.size(); }
    // Token by index; raises ArrayBoundsException outside the list.
    const std::string& at(size_t index) const;
    const std::string& operator[](size_t index) const { return at(index); }
    const std::vector<std::string>& tokens() const noexcept { return tokens_; }

private:
    std::vector<std::string> tokens_;
    size_t cursor_ = 0;
};

} // namespace stream

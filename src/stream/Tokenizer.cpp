#include "stream/Tokenizer.h"

#include "stream/exceptions/ArrayBoundsException.h"
#include "stream/exceptions/TokenizerException.h"

namespace stream {

Tokenizer::Tokenizer(std::string_view text, std::string_view delimiters, int mode) {
    size_t start = 0;
    while (true) {
        size_t cut = text.find_first_of(delimiters, start);
        std::string_view piece = text.substr(
            start, cut == std::string_view::npos ? std::string_view::npos : cut - start);
        if (!(piece.empty() && mode == SKIP_EMPTY)) {
            tokens_.emplace_back(piece);
        }
        if (cut == std::string_view::npos) {
            break;
        }
        if (mode == RETURN_DELIMITERS) {
            tokens_.emplace_back(1, text[cut]);
        }
        start = cut + 1;
    }
}

std::string Tokenizer::NextToken() {
    if (cursor_ >= tokens_.size()) {
        throw exceptions::TokenizerException();
    }
    return tokens_[cursor_++];
}

const std::string& Tokenizer::at(size_t index) const {
    if (index >= tokens_.size()) {
        throw exceptions::ArrayBoundsException(index, tokens_.size());
    }
    return tokens_[index];
}

} // namespace stream

#pragma once

#include "stream/exceptions/StreamException.h"

namespace stream::exceptions {

// Raised by Tokenizer::NextToken when the tokens are exhausted (code 1).
class TokenizerException : public StreamException {
public:
    TokenizerException();
};

} // namespace stream::exceptions

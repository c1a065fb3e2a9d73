#include "stream/exceptions/TokenizerException.h"

namespace stream::exceptions {

TokenizerException::TokenizerException()
    : StreamException("TokenizerException: NextToken() called when no more tokens where available",
                      1) {}

} // namespace stream::exceptions

#pragma once

#include "stream/exceptions/StreamException.h"

namespace stream::exceptions {

// Raised by StringUtil::longValue for text that does not start with a number.
class UtilStreamException : public StreamException {
public:
    UtilStreamException();
    explicit UtilStreamException(std::string message);
};

} // namespace stream::exceptions

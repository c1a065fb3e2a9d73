#pragma once

#include "stream/exceptions/StreamException.h"

namespace stream::exceptions {

// Raised by the log targets, e.g. "Invalid log socket format 1".
class LogException : public StreamException {
public:
    explicit LogException(std::string message);
};

} // namespace stream::exceptions

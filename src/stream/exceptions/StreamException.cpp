#include "stream/exceptions/StreamException.h"

#include <utility>

namespace stream::exceptions {

StreamException::StreamException(std::string message, int32_t code)
    : message_(std::move(message)), code_(code) {}

const char* StreamException::what() const noexcept {
    return message_.c_str();
}

} // namespace stream::exceptions

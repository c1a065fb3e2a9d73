#include "stream/exceptions/LogException.h"

#include <utility>

namespace stream::exceptions {

LogException::LogException(std::string message) : StreamException(std::move(message), -1) {}

} // namespace stream::exceptions

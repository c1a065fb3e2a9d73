#include "stream/exceptions/UtilStreamException.h"

#include <utility>

namespace stream::exceptions {

UtilStreamException::UtilStreamException()
    : StreamException("unsigned long StringUtil::longValue(std::string& cad): Bad unsigned long "
                      "value string",
                      -1) {}

UtilStreamException::UtilStreamException(std::string message)
    : StreamException(std::move(message), -1) {}

} // namespace stream::exceptions

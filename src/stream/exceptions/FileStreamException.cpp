#include "stream/exceptions/FileStreamException.h"

#include <utility>

namespace stream::exceptions {

FileStreamException::FileStreamException(std::string message)
    : StreamException(std::move(message), -1) {}

FileStreamException FileStreamException::cannotRead(const std::string& path) {
    return FileStreamException("Can't open file " + path + " for read");
}

FileStreamException FileStreamException::cannotWrite(const std::string& path) {
    return FileStreamException("Can't open file " + path + " for write");
}

} // namespace stream::exceptions

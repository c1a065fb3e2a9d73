#pragma once

#include "stream/exceptions/StreamException.h"

namespace stream::exceptions {

// Raised by the file streams: "Can't open file <path> for read" / " for write".
class FileStreamException : public StreamException {
public:
    explicit FileStreamException(std::string message);

    static FileStreamException cannotRead(const std::string& path);
    static FileStreamException cannotWrite(const std::string& path);
};

} // namespace stream::exceptions

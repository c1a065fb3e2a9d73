#pragma once

#include "stream/exceptions/StreamException.h"

namespace stream::exceptions {

// Raised by the socket code: the code is a Windows Sockets error number (10061 connection
// refused, 11001 host not found, ...) and the message the platform's text for it.
class SocketStreamException : public StreamException {
public:
    // Message taken from the system message table (empty when the code is not in it).
    explicit SocketStreamException(int32_t code);
    SocketStreamException(int32_t code, std::string message);

    // The exception for a failed socket call that set errno: the matching Windows Sockets
    // code with its system message (ECONNREFUSED -> 10061, ...); an errno without a Windows
    // Sockets counterpart keeps its value and takes the C library's text.
    static SocketStreamException fromErrno(int errnoValue);
    // The exception for a failed getaddrinfo() (EAI_NONAME -> 11001 host not found, ...).
    static SocketStreamException fromResolver(int gaiError);
};

} // namespace stream::exceptions

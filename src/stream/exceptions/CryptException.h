#pragma once

#include "stream/exceptions/Win32ErrorException.h"

namespace stream::exceptions {

// A failing cryptographic platform call; same code and message as Win32ErrorException.
class CryptException : public Win32ErrorException {
public:
    CryptException(const char* sourceFile, int line);
    CryptException(const char* sourceFile, int line, uint32_t code);
};

} // namespace stream::exceptions

#include "stream/exceptions/CryptException.h"

namespace stream::exceptions {

CryptException::CryptException(const char* sourceFile, int line)
    : Win32ErrorException(sourceFile, line) {}

CryptException::CryptException(const char* sourceFile, int line, uint32_t code)
    : Win32ErrorException(sourceFile, line, code) {}

} // namespace stream::exceptions

#include "platform/crypt/CryptErrors.h"

#include "stream/System.h"
#include "stream/exceptions/CryptException.h"

namespace platform::crypt {

void raiseCrypt(const char* sourceFile, int line, uint32_t code) {
    stream::System::setLastError(code);
    throw stream::exceptions::CryptException(sourceFile, line, code);
}

} // namespace platform::crypt

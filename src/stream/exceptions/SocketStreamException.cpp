#include "stream/exceptions/SocketStreamException.h"

#include <cerrno>
#include <cstring>
#include <netdb.h>
#include <utility>

#include "stream/SystemMessage.h"

namespace stream::exceptions {

namespace {

struct ErrnoMapping {
    int errnoValue;
    int32_t winsockCode;
};

constexpr ErrnoMapping kErrnoToWinsock[] = {
    {EACCES, 10013},        {EINVAL, 10022},       {EMFILE, 10024},       {EWOULDBLOCK, 10035},
    {EINPROGRESS, 10036},   {ENOTSOCK, 10038},     {EAFNOSUPPORT, 10047}, {EADDRINUSE, 10048},
    {EADDRNOTAVAIL, 10049}, {ENETDOWN, 10050},     {ENETUNREACH, 10051},  {ECONNABORTED, 10053},
    {ECONNRESET, 10054},    {ENOBUFS, 10055},      {EISCONN, 10056},      {ENOTCONN, 10057},
    {ETIMEDOUT, 10060},     {ECONNREFUSED, 10061}, {EHOSTDOWN, 10064},    {EHOSTUNREACH, 10065},
    {EPIPE, 10054},
};

std::string cLibraryText(int errnoValue) {
    char buffer[256] = {0};
    // GNU strerror_r returns the text (not always in buffer).
    const char* text = strerror_r(errnoValue, buffer, sizeof buffer);
    return text ? std::string(text) : std::string();
}

} // namespace

SocketStreamException::SocketStreamException(int32_t code)
    : StreamException(SystemMessage::text(static_cast<uint32_t>(code)), code) {}

SocketStreamException::SocketStreamException(int32_t code, std::string message)
    : StreamException(std::move(message), code) {}

SocketStreamException SocketStreamException::fromErrno(int errnoValue) {
    for (const ErrnoMapping& mapping : kErrnoToWinsock) {
        if (mapping.errnoValue == errnoValue) {
            std::string text = SystemMessage::text(static_cast<uint32_t>(mapping.winsockCode));
            if (text.empty()) {
                text = cLibraryText(errnoValue);
            }
            return SocketStreamException(mapping.winsockCode, std::move(text));
        }
    }
    return SocketStreamException(errnoValue, cLibraryText(errnoValue));
}

SocketStreamException SocketStreamException::fromResolver(int gaiError) {
    int32_t code = 11001; // WSAHOST_NOT_FOUND
    switch (gaiError) {
    case EAI_AGAIN:
        code = 11002; // WSATRY_AGAIN
        break;
    case EAI_FAIL:
        code = 11003; // WSANO_RECOVERY
        break;
#ifdef EAI_NODATA
    case EAI_NODATA:
        code = 11004; // WSANO_DATA
        break;
#endif
    case EAI_SYSTEM:
        return fromErrno(errno);
    default:
        break;
    }
    return SocketStreamException(code);
}

} // namespace stream::exceptions

#include "stream/SocketLogOutput.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>
#include <vector>

#include "stream/StringUtil.h"
#include "stream/exceptions/LogException.h"
#include "stream/exceptions/SocketStreamException.h"

namespace stream {

namespace {

constexpr int kConnectTimeoutMs = 10000;
constexpr int kSendTimeoutSeconds = 5;

// Decimal port, 1-65535; -1 otherwise.
int parsePort(const std::string& text) {
    if (text.empty() || text.size() > 5) {
        return -1;
    }
    int port = 0;
    for (char c : text) {
        if (c < '0' || c > '9') {
            return -1;
        }
        port = port * 10 + (c - '0');
    }
    return port >= 1 && port <= 65535 ? port : -1;
}

struct AddressList {
    addrinfo* list = nullptr;
    ~AddressList() {
        if (list) {
            freeaddrinfo(list);
        }
    }
};

// Connects fd to address within the time limit; errno is set on failure.
bool connectWithin(int fd, const sockaddr* address, socklen_t length, int timeoutMs) {
    int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags | O_NONBLOCK) != 0) {
        return false;
    }
    int result = ::connect(fd, address, length);
    if (result != 0 && errno != EINPROGRESS) {
        return false;
    }
    if (result != 0) {
        pollfd waiting{fd, POLLOUT, 0};
        int ready;
        do {
            ready = ::poll(&waiting, 1, timeoutMs);
        } while (ready < 0 && errno == EINTR);
        if (ready == 0) {
            errno = ETIMEDOUT;
            return false;
        }
        if (ready < 0) {
            return false;
        }
        int error = 0;
        socklen_t size = sizeof error;
        if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) != 0) {
            return false;
        }
        if (error != 0) {
            errno = error;
            return false;
        }
    }
    return ::fcntl(fd, F_SETFL, flags) == 0;
}

} // namespace

SocketLogOutput::Endpoint SocketLogOutput::parsePath(const std::string& path) {
    std::vector<std::string> pieces = StringUtil(path).split("/");
    if (pieces.size() < 2) {
        throw exceptions::LogException("Invalid log socket format 1");
    }
    std::vector<std::string> hostPort = StringUtil(pieces[1]).split(":");
    if (hostPort.size() != 2) {
        throw exceptions::LogException("Invalid log socket format 2");
    }
    int port = parsePort(hostPort[1]);
    if (port < 0) {
        throw exceptions::LogException("Invalid log socket format 2");
    }
    return Endpoint{hostPort[0], port};
}

SocketLogOutput::~SocketLogOutput() {
    close();
}

void SocketLogOutput::open(const std::string& path, int mode) {
    close();
    Endpoint endpoint = parsePath(path);

    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    // A dotted (or IPv6 numeric) address first, else a name lookup.
    AddressList addresses;
    std::string service = std::to_string(endpoint.port);
    hints.ai_flags = AI_NUMERICHOST | AI_NUMERICSERV;
    int resolved = ::getaddrinfo(endpoint.host.c_str(), service.c_str(), &hints, &addresses.list);
    if (resolved != 0) {
        hints.ai_flags = AI_NUMERICSERV;
        resolved = ::getaddrinfo(endpoint.host.c_str(), service.c_str(), &hints, &addresses.list);
    }
    if (resolved != 0) {
        throw exceptions::SocketStreamException::fromResolver(resolved);
    }

    int lastErrno = ECONNREFUSED;
    for (addrinfo* candidate = addresses.list; candidate; candidate = candidate->ai_next) {
        FileDescriptor fd(::socket(candidate->ai_family, candidate->ai_socktype | SOCK_CLOEXEC,
                                   candidate->ai_protocol));
        if (!fd.valid()) {
            lastErrno = errno;
            continue;
        }
        if (!connectWithin(fd.get(), candidate->ai_addr, candidate->ai_addrlen,
                           kConnectTimeoutMs)) {
            lastErrno = errno;
            continue;
        }
        timeval timeout{kSendTimeoutSeconds, 0};
        ::setsockopt(fd.get(), SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
        socket_ = std::move(fd);
        return;
    }
    throw exceptions::SocketStreamException::fromErrno(lastErrno);
}

void SocketLogOutput::write(std::string_view line) {
    if (!socket_.valid()) {
        return;
    }
    uint32_t length = static_cast<uint32_t>(line.size() + 2);
    std::string frame;
    frame.reserve(4 + line.size() + 2);
    for (int i = 0; i < 4; ++i) {
        frame.push_back(static_cast<char>((length >> (8 * i)) & 0xFF));
    }
    frame.append(line);
    frame.append("\r\n");
    size_t sent = 0;
    while (sent < frame.size()) {
        ssize_t n = ::send(socket_.get(), frame.data() + sent, frame.size() - sent, MSG_NOSIGNAL);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            // A broken or stalled connection (the send time-out ran out): drop it, rather
            // than write half frames or make every later line wait for the time-out again.
            socket_.reset();
            return;
        }
        sent += static_cast<size_t>(n);
    }
}

void SocketLogOutput::close() {
    if (socket_.valid()) {
        ::shutdown(socket_.get(), SHUT_RDWR);
        socket_.reset();
    }
}

} // namespace stream

#include "stream/FileDescriptor.h"

#include <cerrno>
#include <unistd.h>

namespace stream {

FileDescriptor::~FileDescriptor() {
    reset();
}

FileDescriptor& FileDescriptor::operator=(FileDescriptor&& other) noexcept {
    if (this != &other) {
        reset();
        fd_ = other.release();
    }
    return *this;
}

int FileDescriptor::reset() noexcept {
    if (fd_ < 0) {
        return 0;
    }
    int result = ::close(fd_);
    fd_ = -1;
    return result;
}

bool writeFully(int fd, const void* bytes, size_t n) noexcept {
    const char* p = static_cast<const char*>(bytes);
    while (n > 0) {
        ssize_t written = ::write(fd, p, n);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        p += written;
        n -= static_cast<size_t>(written);
    }
    return true;
}

long long readFully(int fd, void* bytes, size_t n) noexcept {
    char* p = static_cast<char*>(bytes);
    size_t total = 0;
    while (total < n) {
        ssize_t got = ::read(fd, p + total, n - total);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            return -1;
        }
        if (got == 0) {
            break;
        }
        total += static_cast<size_t>(got);
    }
    return static_cast<long long>(total);
}

} // namespace stream

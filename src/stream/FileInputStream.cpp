#include "stream/FileInputStream.h"

#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "stream/exceptions/FileStreamException.h"

namespace stream {

namespace {

exceptions::FileStreamException readError(const std::string& path) {
    return exceptions::FileStreamException("Can't read file " + path);
}

} // namespace

FileInputStream::FileInputStream(const std::string& path) : path_(path) {
    int fd;
    do {
        // O_NONBLOCK: a FIFO without a writer must not block the open.
        fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    } while (fd < 0 && errno == EINTR);
    FileDescriptor owned(fd);
    struct stat info {};
    if (!owned.valid() || ::fstat(owned.get(), &info) != 0 || S_ISDIR(info.st_mode)) {
        throw exceptions::FileStreamException::cannotRead(path);
    }
    int flags = ::fcntl(owned.get(), F_GETFL);
    if (flags < 0 || ::fcntl(owned.get(), F_SETFL, flags & ~O_NONBLOCK) != 0) {
        throw exceptions::FileStreamException::cannotRead(path);
    }
    fd_ = std::move(owned);
}

FileInputStream::~FileInputStream() = default;

uint64_t FileInputStream::size() const {
    struct stat info {};
    if (!fd_.valid() || ::fstat(fd_.get(), &info) != 0) {
        throw readError(path_);
    }
    return static_cast<uint64_t>(info.st_size);
}

size_t FileInputStream::read(unsigned char* buffer, size_t n) {
    if (!fd_.valid()) {
        throw readError(path_);
    }
    long long got = readFully(fd_.get(), buffer, n);
    if (got < 0) {
        throw readError(path_);
    }
    return static_cast<size_t>(got);
}

int FileInputStream::read() {
    unsigned char byte = 0;
    return read(&byte, 1) == 1 ? byte : -1;
}

void FileInputStream::seek(uint64_t position) {
    if (!fd_.valid() || position > static_cast<uint64_t>(INT64_MAX) ||
        ::lseek(fd_.get(), static_cast<off_t>(position), SEEK_SET) < 0) {
        throw readError(path_);
    }
}

uint64_t FileInputStream::tell() const {
    off_t position = fd_.valid() ? ::lseek(fd_.get(), 0, SEEK_CUR) : -1;
    if (position < 0) {
        throw readError(path_);
    }
    return static_cast<uint64_t>(position);
}

void FileInputStream::close() noexcept {
    fd_.reset();
}

} // namespace stream

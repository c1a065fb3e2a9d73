#include "stream/FileInputStream.h"

#include <algorithm>
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
    if (path.find('\0') != std::string::npos) {
        // The system would stop at the NUL and read another file.
        throw exceptions::FileStreamException::cannotRead(path);
    }
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

ByteBuffer FileInputStream::readToEnd(uint64_t limit, size_t spare) {
    struct stat info {};
    if (!fd_.valid() || ::fstat(fd_.get(), &info) != 0 || !S_ISREG(info.st_mode)) {
        throw readError(path_);
    }
    uint64_t expected = static_cast<uint64_t>(info.st_size);
    if (expected > limit || expected > SIZE_MAX / 2) {
        throw readError(path_);
    }
    ByteBuffer buffer;
    buffer.reserveExact(static_cast<size_t>(expected) + spare);
    buffer.prefault(static_cast<size_t>(expected));
    size_t size = read(buffer.data(), static_cast<size_t>(expected));
    if (size == expected) {
        // The reported size may fall short of the content (a /proc file reports 0, a file may
        // grow): one byte more tells, without growing the buffer when the size was right.
        unsigned char probe = 0;
        while (read(&probe, 1) == 1) {
            if (size >= limit) {
                throw readError(path_);
            }
            size_t grown = std::min<uint64_t>(size < 4096 ? 4096 : size, limit - size);
            buffer.setSize(size);
            buffer.reserveExact(size + grown + spare);
            buffer.data()[size++] = probe;
            size += read(buffer.data() + size, grown - 1);
            if (size < buffer.capacity() - spare) {
                break; // the end came before the room did
            }
        }
    }
    buffer.setSize(size);
    return buffer;
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

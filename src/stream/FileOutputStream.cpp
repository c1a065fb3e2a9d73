#include "stream/FileOutputStream.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

#include "stream/exceptions/FileStreamException.h"

namespace stream {

namespace {

exceptions::FileStreamException writeError(const std::string& path) {
    return exceptions::FileStreamException("Can't write file " + path);
}

} // namespace

FileOutputStream::FileOutputStream(const std::string& path) : path_(path) {
    if (path.find('\0') != std::string::npos) {
        // The system would stop at the NUL and write another file.
        throw exceptions::FileStreamException::cannotWrite(path);
    }
    int fd;
    do {
        // Without O_NONBLOCK a FIFO nobody reads would block the caller forever; with it
        // such a FIFO fails at once (ENXIO). Writes themselves stay blocking.
        fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NONBLOCK, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        throw exceptions::FileStreamException::cannotWrite(path);
    }
    fd_ = FileDescriptor(fd);
    int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) < 0) {
        throw exceptions::FileStreamException::cannotWrite(path);
    }
}

FileOutputStream::~FileOutputStream() = default;

void FileOutputStream::write(const unsigned char* bytes, size_t n) {
    if (!fd_.valid() || !writeFully(fd_.get(), bytes, n)) {
        throw writeError(path_);
    }
}

void FileOutputStream::write(std::string_view text) {
    write(reinterpret_cast<const unsigned char*>(text.data()), text.size());
}

void FileOutputStream::flush() {
    if (!fd_.valid()) {
        throw writeError(path_);
    }
}

void FileOutputStream::close() {
    if (fd_.valid() && fd_.reset() != 0) {
        throw writeError(path_);
    }
}

} // namespace stream

#include "stream/FileLogOutput.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace stream {

namespace {

// The longest prefix of line, at most limit bytes, that does not end inside a UTF-8
// sequence.
size_t cutAtCharacter(std::string_view line, size_t limit) {
    if (line.size() <= limit) {
        return line.size();
    }
    size_t cut = limit;
    // Step back over continuation bytes (10xxxxxx) to the lead byte, which then starts the
    // cut-off part.
    size_t back = 0;
    while (cut > 0 && back < 3 && (static_cast<unsigned char>(line[cut]) & 0xC0) == 0x80) {
        --cut;
        ++back;
    }
    if ((static_cast<unsigned char>(line[cut]) & 0xC0) == 0x80) {
        return limit; // not UTF-8 text: cut at the byte limit
    }
    return cut;
}

// True when the file begins with the first header line every log of this component has.
bool startsLikeLog(int fd) {
    constexpr std::string_view kHeader = "#Software: ";
    char start[kHeader.size()];
    ssize_t got;
    do {
        got = ::pread(fd, start, sizeof start, 0);
    } while (got < 0 && errno == EINTR);
    return got == static_cast<ssize_t>(sizeof start) &&
           std::string_view(start, sizeof start) == kHeader;
}

} // namespace

FileLogOutput::FileLogOutput() : buffer_(kBufferSize) {}

FileLogOutput::~FileLogOutput() {
    close();
}

void FileLogOutput::open(const std::string& path, int mode) {
    close();
    if (path.find('\0') != std::string::npos) {
        return; // the system would stop at the NUL and open another file
    }
    int fd;
    do {
        // O_NONBLOCK keeps a FIFO planted at the path from blocking the open.
        fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_APPEND | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK,
                    0600);
    } while (fd < 0 && errno == EINTR);
    FileDescriptor file(fd);
    if (!file.valid()) {
        return;
    }
    struct stat info {};
    // Only a regular file of this user with no other name: a FIFO, a device, someone else's
    // file or a hard link planted at the path is never written.
    if (::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != ::geteuid() ||
        info.st_nlink != 1) {
        return;
    }
    if (info.st_size > 0 && !startsLikeLog(file.get())) {
        return; // an existing file that is not a log of ours is never emptied nor written
    }
    int flags = ::fcntl(file.get(), F_GETFL);
    if (flags < 0 || ::fcntl(file.get(), F_SETFL, flags & ~O_NONBLOCK) != 0) {
        return;
    }
    if (mode == 1 && ::ftruncate(file.get(), 0) != 0) {
        return;
    }
    fd_ = std::move(file);
    used_ = 0;
}

void FileLogOutput::write(std::string_view line) {
    if (!fd_.valid()) {
        return;
    }
    size_t length = cutAtCharacter(line, kLineLimit - 2);
    if (used_ + length + 2 > buffer_.size()) {
        flush();
    }
    std::memcpy(buffer_.data() + used_, line.data(), length);
    used_ += length;
    buffer_[used_++] = '\r';
    buffer_[used_++] = '\n';
}

void FileLogOutput::flush() {
    if (fd_.valid() && used_ > 0) {
        writeFully(fd_.get(), buffer_.data(), used_); // a failed write is ignored
    }
    used_ = 0;
}

void FileLogOutput::close() {
    flush();
    fd_.reset();
}

} // namespace stream

#pragma once

#include <cstddef>

namespace stream {

// Owns a POSIX file descriptor; closes it on destruction.
class FileDescriptor {
public:
    FileDescriptor() noexcept = default;
    explicit FileDescriptor(int fd) noexcept : fd_(fd) {}
    ~FileDescriptor();
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    FileDescriptor(FileDescriptor&& other) noexcept : fd_(other.release()) {}
    FileDescriptor& operator=(FileDescriptor&& other) noexcept;

    int get() const noexcept { return fd_; }
    bool valid() const noexcept { return fd_ >= 0; }
    int release() noexcept {
        int fd = fd_;
        fd_ = -1;
        return fd;
    }
    // Closes now; returns the result of close() (0 when nothing was open).
    int reset() noexcept;

private:
    int fd_ = -1;
};

// Writes all n bytes, retrying on EINTR and short writes; false on failure (errno set).
bool writeFully(int fd, const void* bytes, size_t n) noexcept;
// Reads until n bytes or the end of the file, retrying on EINTR; -1 on failure (errno set).
long long readFully(int fd, void* bytes, size_t n) noexcept;

} // namespace stream

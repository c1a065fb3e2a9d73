#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "stream/FileDescriptor.h"

namespace stream {

// A file opened for binary reading. Opening failure raises FileStreamException
// "Can't open file <path> for read"; a failing read raises FileStreamException
// "Can't read file <path>".
class FileInputStream {
public:
    explicit FileInputStream(const std::string& path);
    ~FileInputStream();
    FileInputStream(const FileInputStream&) = delete;
    FileInputStream& operator=(const FileInputStream&) = delete;
    FileInputStream(FileInputStream&& other) noexcept = default;
    FileInputStream& operator=(FileInputStream&& other) noexcept = default;

    const std::string& path() const noexcept { return path_; }
    uint64_t size() const;
    // Reads up to n bytes (fewer only at the end of the file); returns the count.
    size_t read(unsigned char* buffer, size_t n);
    // One byte, or -1 at the end of the file.
    int read();
    void seek(uint64_t position);
    uint64_t tell() const;
    void close() noexcept;
    bool isOpen() const noexcept { return fd_.valid(); }
    // The open file descriptor (-1 after close), for status queries.
    int descriptor() const noexcept { return fd_.get(); }

private:
    std::string path_;
    FileDescriptor fd_;
};

} // namespace stream

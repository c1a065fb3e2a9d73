#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "stream/ByteBuffer.h"
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
    // Everything from the position to the end of the file, in a buffer of at least the
    // file's size plus spare bytes of capacity (allocated once when the size is right). The
    // size the system reports is only where reading starts: files that report 0 (those of
    // /proc) or that grow are read to their end. Raises FileStreamException "Can't read file
    // <path>" for anything but a regular file (a pipe, a terminal, a device: their bytes
    // are not a file's content and reading them may never end) and for more than limit bytes.
    ByteBuffer readToEnd(uint64_t limit, size_t spare = 0);
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

#pragma once

#include <cstddef>
#include <string>

#include "stream/FileDescriptor.h"
#include <string_view>

namespace stream {

// A file created or truncated for binary writing (mode 0666 before the umask, as fopen
// gives it). Writes go straight to the file (no user-space buffer). Opening
// failure raises FileStreamException "Can't open file <path> for write"; a failing write
// raises FileStreamException "Can't write file <path>".
class FileOutputStream {
public:
    explicit FileOutputStream(const std::string& path);
    ~FileOutputStream();
    FileOutputStream(const FileOutputStream&) = delete;
    FileOutputStream& operator=(const FileOutputStream&) = delete;
    FileOutputStream(FileOutputStream&& other) noexcept = default;
    FileOutputStream& operator=(FileOutputStream&& other) noexcept = default;

    const std::string& path() const noexcept { return path_; }
    void write(const unsigned char* bytes, size_t n);
    void write(std::string_view text);
    // Nothing is buffered in the process: flush() only checks that the file is open.
    void flush();
    // Closes the file; raises when closing reports a write error.
    void close();
    bool isOpen() const noexcept { return fd_.valid(); }

private:
    std::string path_;
    FileDescriptor fd_;
};

} // namespace stream

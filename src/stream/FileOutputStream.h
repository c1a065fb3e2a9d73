#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace stream {

// A file created or truncated for binary writing (mode 0644 before the umask). Opening
// failure raises FileStreamException "Can't open file <path> for write"; a failing write
// raises FileStreamException "Can't write file <path>".
class FileOutputStream {
public:
    explicit FileOutputStream(const std::string& path);
    ~FileOutputStream();
    FileOutputStream(const FileOutputStream&) = delete;
    FileOutputStream& operator=(const FileOutputStream&) = delete;
    FileOutputStream(FileOutputStream&& other) noexcept;
    FileOutputStream& operator=(FileOutputStream&& other) noexcept;

    const std::string& path() const noexcept { return path_; }
    void write(const unsigned char* bytes, size_t n);
    void write(std::string_view text);
    // Writes the data through to the disk (fsync).
    void flush();
    // Closes the file; raises when closing reports a write error.
    void close();
    bool isOpen() const noexcept { return fd_ >= 0; }

private:
    std::string path_;
    int fd_ = -1;
};

} // namespace stream

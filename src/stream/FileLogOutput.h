#pragma once

#include <string>
#include <vector>

#include "stream/FileDescriptor.h"
#include "stream/LogOutput.h"

namespace stream {

// Log lines to a file, each ending in "\r\n". The file is created with mode 0600 and opened
// with O_NOFOLLOW: a symbolic link at the path, a file that is not a regular file, one owned
// by another user or one with a second hard link makes the target fail, and every later
// write is ignored. So does an existing file that does not begin like a log of this component
// ("#Software: "): a mistaken path never empties someone's file.
// Mode 1 empties the file, mode 0 appends. Lines collect in a 64 KiB buffer written when
// full, on flush() and on close(). A line longer than 1998 bytes is cut to 1998 bytes (at
// a UTF-8 character boundary) so that it fits, with its CR LF, in 2000 bytes.
class FileLogOutput : public LogOutput {
public:
    static constexpr size_t kBufferSize = 64 * 1024;
    static constexpr size_t kLineLimit = 2000;

    FileLogOutput();
    ~FileLogOutput() override;

    void write(std::string_view line) override;
    void open(const std::string& path, int mode) override;
    void close() override;
    void flush() override;
    size_t lineLimit() const noexcept override { return kLineLimit - 2; }

    bool isOpen() const noexcept { return fd_.valid(); }

private:
    FileDescriptor fd_;
    std::vector<char> buffer_;
    size_t used_ = 0;
};

} // namespace stream

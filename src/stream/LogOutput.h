#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace stream {

// A destination of log lines. Calls are serialised by LogOutputHolder.
class LogOutput {
public:
    virtual ~LogOutput() = default;
    // Writes one line (without its line end); failures are ignored.
    virtual void write(std::string_view line) = 0;
    // mode 1 = start a new file, 0 = append.
    virtual void open(const std::string& path, int mode) = 0;
    virtual void close() = 0;
    // Pushes buffered lines out; failures are ignored.
    virtual void flush() {}
    // The longest line (without its line end) the target keeps; longer lines are cut by
    // write(), so callers need not build more than this.
    virtual size_t lineLimit() const noexcept { return static_cast<size_t>(-1); }
};

} // namespace stream

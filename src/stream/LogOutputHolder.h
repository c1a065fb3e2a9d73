#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

#include "stream/LogOutput.h"

namespace stream {

// Owns the current log target and serialises open, write, flush and close on one lock.
// Writes are dropped while the holder is not opened.
//
// The holder also keeps the log within a size: once the lines written since open() would pass
// it, the notice line is written instead and nothing more (not even the last line of close()).
class LogOutputHolder {
public:
    // The size in bytes (lines with their line ends; 0 = no limit) and the line that says it
    // was reached, made when it is reached.
    void setSizeLimit(uint64_t bytes, std::function<std::string()> notice);
    // Replaces the target and opens it. A target already opened is closed first, so that a
    // second open switches targets instead of leaving the new one unopened. When the new
    // target raises, the holder stays closed and the exception propagates.
    void open(std::unique_ptr<LogOutput> target, const std::string& path, int mode);
    void write(std::string_view line);
    // Writes head + body as one line, copying no more of body than the target keeps.
    void write(std::string_view head, std::string_view body);
    void flush();
    // Writes last (when not empty) and closes the target, once.
    void close(std::string_view last = {});
    bool isOpen() const;
    // The longest line the target keeps (no limit without a target).
    size_t lineLimit() const;
    // Closes (without a last line) and frees the target.
    void discardTarget();

private:
    // True when line (with its line end) still fits; otherwise writes the notice once.
    bool admit(size_t length);

    mutable std::mutex lock_;
    uint64_t sizeLimit_ = 0;
    uint64_t written_ = 0;
    bool full_ = false;
    std::function<std::string()> notice_;
    std::unique_ptr<LogOutput> target_;
    bool opened_ = false;
};

} // namespace stream

#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <string_view>

#include "stream/LogOutput.h"

namespace stream {

// Owns the current log target and serialises open, write, flush and close on one lock.
// Writes are dropped while the holder is not opened.
class LogOutputHolder {
public:
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
    // Closes (without a last line) and frees the target.
    void discardTarget();

private:
    mutable std::mutex lock_;
    std::unique_ptr<LogOutput> target_;
    bool opened_ = false;
};

} // namespace stream

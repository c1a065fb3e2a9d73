#pragma once

#include "stream/LogOutput.h"

namespace stream {

// Log lines to the process's standard output, each followed by "\n". There is no console to
// allocate on this platform: open and close only enable and disable the writes.
class ConsoleLogOutput : public LogOutput {
public:
    void write(std::string_view line) override;
    void open(const std::string& path, int mode) override;
    void close() override;

private:
    bool open_ = false;
};

} // namespace stream

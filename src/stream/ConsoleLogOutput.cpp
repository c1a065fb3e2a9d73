#include "stream/ConsoleLogOutput.h"

#include <string>
#include <unistd.h>

#include "stream/FileDescriptor.h"

namespace stream {

void ConsoleLogOutput::open(const std::string& path, int mode) {
    open_ = true;
}

void ConsoleLogOutput::write(std::string_view line) {
    if (!open_) {
        return;
    }
    std::string text;
    text.reserve(line.size() + 1);
    text.append(line);
    text.push_back('\n');
    writeFully(STDOUT_FILENO, text.data(), text.size()); // a failed write is ignored
}

void ConsoleLogOutput::close() {
    open_ = false;
}

} // namespace stream

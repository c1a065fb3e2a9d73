#include "bridge/MessageReader.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace bridge {

std::ptrdiff_t MessageReader::readFully(char* out, std::size_t n) {
    std::size_t done = 0;
    while (done < n) {
        ssize_t got = ::read(fd_, out + done, n - done);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            return -1;
        }
        if (got == 0) {
            break;
        }
        done += static_cast<std::size_t>(got);
    }
    return static_cast<std::ptrdiff_t>(done);
}

MessageReader::Frame MessageReader::next() {
    Frame frame;
    if (finished_) {
        return frame;
    }
    char prefix[4];
    std::ptrdiff_t got = readFully(prefix, sizeof prefix);
    if (got != static_cast<std::ptrdiff_t>(sizeof prefix)) {
        finished_ = true;
        frame.status = got < 0 ? Status::Failed : got == 0 ? Status::End : Status::Truncated;
        return frame;
    }
    std::uint32_t length = 0;
    std::memcpy(&length, prefix, sizeof length); // native byte order
    frame.declaredLength = length;
    if (length > kMaxMessage) {
        finished_ = true;
        frame.status = Status::Oversized;
        return frame;
    }
    // Grown as the bytes arrive, so a length alone does not commit 64 MiB.
    constexpr std::size_t kStep = 1u << 20;
    std::string text;
    while (text.size() < length) {
        std::size_t before = text.size();
        std::size_t want = std::min<std::size_t>(kStep, length - before);
        text.resize(before + want);
        got = readFully(text.data() + before, want);
        if (got != static_cast<std::ptrdiff_t>(want)) {
            finished_ = true;
            frame.status = got < 0 ? Status::Failed : Status::Truncated;
            return frame;
        }
    }
    frame.status = Status::Message;
    frame.text = std::move(text);
    return frame;
}

} // namespace bridge

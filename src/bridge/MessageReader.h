#pragma once

// Reads the browser's messages from a file descriptor: a 4-byte length in native byte order,
// then that many bytes of UTF-8 JSON.

#include <cstddef>
#include <cstdint>
#include <string>

namespace bridge {

class MessageReader {
public:
    // The largest message accepted from the browser.
    static constexpr std::uint32_t kMaxMessage = 64u * 1024u * 1024u;

    enum class Status {
        Message,   // text holds the message
        End,       // the stream ended between messages
        Truncated, // the stream ended inside a length or a message
        Oversized, // the length exceeds kMaxMessage; the stream cannot be followed further
        Failed,    // the descriptor could not be read
    };
    struct Frame {
        Status status = Status::End;
        std::string text;
        std::uint32_t declaredLength = 0;
    };

    explicit MessageReader(int fd) : fd_(fd) {}
    // The next message. After anything but Message, the reader gives End.
    Frame next();

private:
    // Reads up to n bytes (fewer only at the end of the stream); -1 on a read error.
    std::ptrdiff_t readFully(char* out, std::size_t n);

    int fd_;
    bool finished_ = false;
};

} // namespace bridge

#pragma once

// Writes the host's messages to a file descriptor, framed as the browser reads them. A reply
// longer than the browser accepts goes out as chunk messages (ReplyChunker).

#include <cstdint>
#include <string>
#include <string_view>

namespace bridge {

class MessageWriter {
public:
    explicit MessageWriter(int fd) : fd_(fd) {}
    // Sends the reply to request `id` (its JSON text), chunked when it is too long. False when
    // the descriptor can no longer be written (the browser is gone).
    bool sendReply(std::int64_t id, const std::string& json);

private:
    bool writeFrame(std::string_view json);

    int fd_;
};

} // namespace bridge

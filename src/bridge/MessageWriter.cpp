#include "bridge/MessageWriter.h"

#include "bridge/FileWriting.h"
#include "bridge/ReplyChunker.h"

#include <cstring>

namespace bridge {

bool MessageWriter::writeFrame(std::string_view json) {
    std::uint32_t length = static_cast<std::uint32_t>(json.size());
    std::string frame(sizeof length, '\0');
    std::memcpy(frame.data(), &length, sizeof length); // native byte order
    frame.append(json);
    return writeFully(fd_, frame);
}

bool MessageWriter::sendReply(std::int64_t id, const std::string& json) {
    if (json.size() <= ReplyChunker::kMaxMessage) {
        return writeFrame(json);
    }
    for (const std::string& chunk : ReplyChunker::split(id, json)) {
        if (!writeFrame(chunk)) {
            return false;
        }
    }
    return true;
}

} // namespace bridge

#include "bridge/ReplyChunker.h"

#include <nlohmann/json.hpp>

#include <stdexcept>

namespace bridge {

namespace {

// Bytes of the UTF-8 sequence that starts with `lead` (1 for a stray byte).
std::size_t sequenceLength(unsigned char lead) {
    if (lead >= 0xF0 && lead <= 0xF7) {
        return 4;
    }
    if (lead >= 0xE0) {
        return lead <= 0xEF ? 3 : 1;
    }
    if (lead >= 0xC0) {
        return 2;
    }
    return 1;
}

// What one byte of ASCII costs inside a JSON string.
std::size_t escapedSize(unsigned char c) {
    switch (c) {
    case '"':
    case '\\':
    case '\b':
    case '\f':
    case '\n':
    case '\r':
    case '\t':
        return 2;
    default:
        return c < 0x20 ? 6 : 1;
    }
}

std::string chunkMessage(std::int64_t id, std::size_t index, std::size_t count,
                         const std::string& piece) {
    nlohmann::json message = {{"id", id}, {"chunk", index}, {"chunks", count}, {"data", piece}};
    return message.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

} // namespace

std::vector<std::string> ReplyChunker::split(std::int64_t id, const std::string& reply,
                                             std::size_t limit) {
    // The frame of a chunk message without its data: keys, id, two counts and quotes.
    constexpr std::size_t kOverhead = 96;
    if (limit <= kOverhead + 8) {
        throw std::invalid_argument("chunk limit too small");
    }
    const std::size_t budget = limit - kOverhead;
    std::vector<std::string> pieces;
    std::size_t start = 0;
    std::size_t cost = 0;
    std::size_t i = 0;
    while (i < reply.size()) {
        auto lead = static_cast<unsigned char>(reply[i]);
        std::size_t length = std::min(sequenceLength(lead), reply.size() - i);
        std::size_t charCost = length == 1 ? escapedSize(lead) : length;
        if (cost + charCost > budget) {
            pieces.push_back(reply.substr(start, i - start));
            start = i;
            cost = 0;
        }
        cost += charCost;
        i += length;
    }
    if (start < reply.size() || pieces.empty()) {
        pieces.push_back(reply.substr(start));
    }
    std::vector<std::string> messages;
    messages.reserve(pieces.size());
    for (std::size_t n = 0; n < pieces.size(); ++n) {
        messages.push_back(chunkMessage(id, n, pieces.size(), pieces[n]));
        if (messages.back().size() > limit) {
            throw std::logic_error("chunk message over the limit");
        }
    }
    return messages;
}

} // namespace bridge

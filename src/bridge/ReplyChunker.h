#pragma once

// Cuts a reply whose JSON text exceeds the browser's limit into chunk messages
//   {"id":ID,"chunk":I,"chunks":N,"data":"<piece>"}
// whose pieces, concatenated in order, are the reply's text. Pieces end on UTF-8 character
// boundaries and every chunk message stays within the limit once encoded.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace bridge {

class ReplyChunker {
public:
    // The longest message the browser takes from a host.
    static constexpr std::size_t kMaxMessage = 1000000;

    // The chunk messages for `reply` (which must be valid UTF-8), each at most `limit` bytes.
    static std::vector<std::string> split(std::int64_t id, const std::string& reply,
                                          std::size_t limit = kMaxMessage);
};

} // namespace bridge

#pragma once

#include <cstdint>
#include <string>

namespace stream {

// The English Windows system messages for the codes this system raises, exactly as
// FormatMessage gives them (trailing "\r\n" included).
class SystemMessage {
public:
    // The message for code; empty for a code not in the table.
    static std::string text(uint32_t code);
};

} // namespace stream

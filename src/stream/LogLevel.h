#pragma once

#include <cstdint>
#include <string_view>

namespace stream {

// Level mask bits of the log.
inline constexpr uint32_t LOG_NONE = 0;
inline constexpr uint32_t LOG_ERROR = 1;
inline constexpr uint32_t LOG_WARNING = 2;
inline constexpr uint32_t LOG_INFO = 4;
inline constexpr uint32_t LOG_TRACE = 8;
inline constexpr uint32_t LOG_ALL = 15;

// The level expression: words of the level table joined by "|", a word prefixed with "~"
// removes its bits; case-insensitive; any unknown or empty word (or LOG_NONE) gives 0.
// "LOG_ALL|~LOG_TRACE" -> 7, "LOG_ERROR|" -> 0.
uint32_t parseLevel(std::string_view text);

// The line tag of a level: "ERROR:", "WARNING:", "INFO:", "TRACE:"; "" for any other value.
std::string_view levelTag(uint32_t level);

} // namespace stream

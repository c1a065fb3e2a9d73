#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace stream {

// A log size as the properties file gives it ("LogMaxSize"): a decimal number of bytes,
// optionally followed by K, M or G (KiB, MiB, GiB; a trailing "B" and case do not matter),
// blanks around it allowed; "0" means no limit. Anything else, or a size past 2^64 - 1,
// gives nullopt.
std::optional<uint64_t> parseLogSize(std::string_view text);

} // namespace stream

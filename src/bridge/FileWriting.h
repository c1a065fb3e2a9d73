#pragma once

// Writing whole texts: to a descriptor, and to a file replaced atomically (a new file in the
// same folder, created exclusively and never through a link, then renamed over the old one).

#include <string>
#include <string_view>
#include <sys/types.h>

namespace bridge {

// Writes all of `data`, retrying after interruptions; false when the descriptor fails.
bool writeFully(int fd, std::string_view data);
// Replaces `path` with `text`, the new file created with `mode`. Raises std::runtime_error.
void writeFileAtomically(const std::string& path, std::string_view text, mode_t mode);

} // namespace bridge

#pragma once

#include <cstddef>

namespace stream {

// Backs the whole pages of [data, data + n) with memory now, in one request, instead of one
// page fault per page later: worth it for a large block about to be written whole. Only a
// hint (nothing for less than 1 MiB); a system that cannot do it fills the pages on first
// touch as usual.
void prefault(void* data, size_t n) noexcept;

} // namespace stream

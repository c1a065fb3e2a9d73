#pragma once

#include <cstddef>

namespace stream::base64 {

// Encodes a leading run of whole 3-byte groups of src into dst as UTF-16 code units, four per
// group, with vector instructions; the caller encodes what is left. Returns the number of
// input bytes consumed, a multiple of 3 (0 when the processor has no suitable instructions or
// n is short). Never reads past src + n.
size_t encodeWideVector(const unsigned char* src, size_t n, char16_t* dst) noexcept;

} // namespace stream::base64

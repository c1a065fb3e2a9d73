#pragma once

#include <cstddef>
#include <string>

#include "stream/ByteBuffer.h"

namespace stream {

// All bytes of a regular file, to its end, in a buffer allocated once with exactly the file's
// size as capacity when that size is right; anything but a regular file is refused.
ByteBuffer readWholeFile(const std::string& path);
// Creates or truncates the file and writes the buffer's size() bytes.
void writeWholeFile(const std::string& path, const ByteBuffer& buffer);
void writeWholeFile(const std::string& path, const unsigned char* bytes, size_t n);

} // namespace stream

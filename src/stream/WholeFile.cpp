#include "stream/WholeFile.h"

#include <limits>

#include "stream/FileInputStream.h"
#include "stream/FileOutputStream.h"
#include "stream/exceptions/FileStreamException.h"

namespace stream {

ByteBuffer readWholeFile(const std::string& path) {
    FileInputStream input(path);
    uint64_t size = input.size();
    if (size > std::numeric_limits<size_t>::max() / 2) {
        throw exceptions::FileStreamException("Can't read file " + path);
    }
    ByteBuffer buffer;
    buffer.reserveExact(static_cast<size_t>(size));
    buffer.prefault(static_cast<size_t>(size));
    size_t got = size > 0 ? input.read(buffer.data(), static_cast<size_t>(size)) : 0;
    // A file that shrank while being read gives what was there; one that grew is cut at the
    // size taken when it was opened.
    buffer.setSize(got);
    input.close();
    return buffer;
}

void writeWholeFile(const std::string& path, const ByteBuffer& buffer) {
    writeWholeFile(path, buffer.data(), buffer.size());
}

void writeWholeFile(const std::string& path, const unsigned char* bytes, size_t n) {
    FileOutputStream output(path);
    output.write(bytes, n);
    output.close();
}

} // namespace stream

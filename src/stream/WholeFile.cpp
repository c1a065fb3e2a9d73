#include "stream/WholeFile.h"

#include <limits>

#include "stream/FileInputStream.h"
#include "stream/FileOutputStream.h"

namespace stream {

ByteBuffer readWholeFile(const std::string& path) {
    FileInputStream input(path);
    ByteBuffer buffer = input.readToEnd(std::numeric_limits<size_t>::max() / 2);
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

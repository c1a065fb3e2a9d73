#include "platform/http/MemoryBuffer.h"

#include <limits>
#include <new>
#include <utility>

namespace platform::http {

bool MemoryBuffer::Write(const void* bytes, size_t n) noexcept {
    if (n == 0) {
        return true;
    }
    const size_t size = bytes_.size();
    if (size > limit_ || n > limit_ - size) {
        return false;
    }
    const size_t needed = size + n;
    if (needed > bytes_.capacity()) {
        size_t grown = bytes_.capacity() == 0 ? kInitialSize : bytes_.capacity();
        while (grown < needed) {
            grown = grown > std::numeric_limits<size_t>::max() / 2 ? needed : grown * 2;
        }
        if (grown > limit_) {
            grown = needed; // needed <= limit_
        }
        try {
            bytes_.reserveExact(grown);
        } catch (const std::bad_alloc&) {
            return false;
        }
    }
    // The capacity suffices: append copies without allocating.
    bytes_.append(static_cast<const unsigned char*>(bytes), n);
    return true;
}

const unsigned char* MemoryBuffer::Read(size_t& length) const noexcept {
    length = bytes_.size();
    return length == 0 ? nullptr : bytes_.data();
}

void MemoryBuffer::truncate(size_t n) noexcept {
    if (n < bytes_.size()) {
        bytes_.setSize(n);
    }
}

stream::ByteBuffer MemoryBuffer::take() noexcept {
    stream::ByteBuffer out;
    out.takeOver(bytes_);
    return out;
}

} // namespace platform::http

#pragma once

#include <cstddef>
#include <string_view>

#include "platform/http/HttpSettings.h"
#include "stream/ByteBuffer.h"

namespace platform::http {

// The growable memory buffer of the HTTP client: it receives a response body (the response
// sink) and holds the pieces a request reads. Storage starts at 2048 bytes and doubles
// whenever more room is needed, never past the buffer's limit; a write that would pass the
// limit is refused whole.
class MemoryBuffer {
public:
    static constexpr size_t kInitialSize = 2048;

    explicit MemoryBuffer(size_t limit = kMaxBodySize) noexcept : limit_(limit) {}

    // Appends n bytes. False, with nothing appended, when the size would pass the limit or
    // memory runs out.
    bool Write(const void* bytes, size_t n) noexcept;
    // Hands out the buffer and its length (null and 0 when it is empty). The pointer stays
    // valid until the next change of the buffer.
    const unsigned char* Read(size_t& length) const noexcept;

    size_t size() const noexcept { return bytes_.size(); }
    bool empty() const noexcept { return bytes_.empty(); }
    size_t capacity() const noexcept { return bytes_.capacity(); }
    size_t limit() const noexcept { return limit_; }
    void setLimit(size_t limit) noexcept { limit_ = limit; }
    std::string_view view() const noexcept { return bytes_.view(); }

    // Keeps the first n bytes (nothing happens when n is not below the size).
    void truncate(size_t n) noexcept;
    void clear() noexcept { bytes_.clear(); }
    // Hands the bytes over; the buffer is empty (and without storage) afterwards.
    stream::ByteBuffer take() noexcept;

private:
    stream::ByteBuffer bytes_;
    size_t limit_;
};

} // namespace platform::http

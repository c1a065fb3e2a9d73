#pragma once

#include <cstddef>

#include "stream/exceptions/StreamException.h"

namespace stream::exceptions {

// Raised by ByteBuffer::at (and indexed accessors) for an index outside the storage.
class ArrayBoundsException : public StreamException {
public:
    ArrayBoundsException(size_t index, size_t limit);

    size_t index() const noexcept { return index_; }
    size_t limit() const noexcept { return limit_; }

private:
    size_t index_;
    size_t limit_;
};

} // namespace stream::exceptions

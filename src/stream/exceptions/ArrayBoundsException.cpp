#include "stream/exceptions/ArrayBoundsException.h"

namespace stream::exceptions {

ArrayBoundsException::ArrayBoundsException(size_t index, size_t limit)
    : StreamException("ArrayBoundsException: index " + std::to_string(index) +
                          " out of bounds (size " + std::to_string(limit) + ")",
                      -1),
      index_(index), limit_(limit) {}

} // namespace stream::exceptions

#include "host/DukAllocator.h"

#include "stream/LargeBlock.h"

#include <cstdlib>

namespace host {

void* dukAlloc(void*, duk_size_t size) {
    if (size < stream::kLargeBlock) {
        return std::malloc(size);
    }
    void* block = nullptr;
    if (posix_memalign(&block, stream::kLargePage, size) != 0) {
        return nullptr;
    }
    // Hints only: where they are not supported the pages come on first touch as usual.
    stream::adviseLargePages(block, size);
    stream::prefault(block, size);
    return block;
}

void* dukRealloc(void*, void* ptr, duk_size_t size) {
    return std::realloc(ptr, size);
}

void dukFree(void*, void* ptr) {
    std::free(ptr);
}

} // namespace host

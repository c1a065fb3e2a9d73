#include "host/DukAllocator.h"

#include <cstdint>
#include <cstdlib>
#include <sys/mman.h>
#include <unistd.h>

namespace host {

namespace {

constexpr std::size_t kLargeBlock = 8u << 20;
constexpr std::uintptr_t kLargePage = 2u << 20;
#ifndef MADV_POPULATE_WRITE
constexpr int MADV_POPULATE_WRITE = 23; // Linux 5.14; older kernels refuse it harmlessly
#endif

// Hints only: where they are not supported the pages come on first touch as usual.
void backLargeBlock(void* block, std::size_t size) noexcept {
    const auto address = reinterpret_cast<std::uintptr_t>(block);
    const std::uintptr_t hugeStart = (address + kLargePage - 1) & ~(kLargePage - 1);
    const std::uintptr_t hugeEnd = (address + size) & ~(kLargePage - 1);
    if (hugeEnd > hugeStart) {
        madvise(reinterpret_cast<void*>(hugeStart), hugeEnd - hugeStart, MADV_HUGEPAGE);
    }
    const auto page = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
    const std::uintptr_t start = (address + page - 1) & ~(page - 1);
    const std::uintptr_t end = (address + size) & ~(page - 1);
    if (end > start) {
        madvise(reinterpret_cast<void*>(start), end - start, MADV_POPULATE_WRITE);
    }
}

} // namespace

void* dukAlloc(void*, duk_size_t size) {
    if (size < kLargeBlock) {
        return std::malloc(size);
    }
    void* block = nullptr;
    if (posix_memalign(&block, kLargePage, size) != 0) {
        return nullptr;
    }
    backLargeBlock(block, size);
    return block;
}

void* dukRealloc(void*, void* ptr, duk_size_t size) {
    return std::realloc(ptr, size);
}

void dukFree(void*, void* ptr) {
    std::free(ptr);
}

} // namespace host

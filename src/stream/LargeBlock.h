#pragma once

// Backing large blocks of memory: header-only, so that the COM runtime and the script host,
// which link none of this library, use the same rules.

#include <cstddef>
#include <cstdint>
#include <sys/mman.h>
#include <unistd.h>

namespace stream {

// From this size up a block is worth aligning to a large page and backing in one request.
inline constexpr std::size_t kLargeBlock = 8u << 20;
// The large page of x86-64 and arm64 (4 KiB base pages).
inline constexpr std::uintptr_t kLargePage = 2u << 20;

// Asks for large pages on the whole 2 MiB units inside [block, block + n): faulting in one
// large page costs far less than 512 small ones. Must come before the pages are first
// touched; only a hint, ignored where it is not supported.
inline void adviseLargePages(void* block, std::size_t n) noexcept {
    const auto address = reinterpret_cast<std::uintptr_t>(block);
    const std::uintptr_t start = (address + kLargePage - 1) & ~(kLargePage - 1);
    const std::uintptr_t end = (address + n) & ~(kLargePage - 1);
    if (block != nullptr && end > start) {
        madvise(reinterpret_cast<void*>(start), end - start, MADV_HUGEPAGE);
    }
}

// Backs the whole pages of [data, data + n) with memory now, in one request, instead of one
// page fault per page later: worth it for a large block about to be written whole. Only a
// hint (nothing for less than 1 MiB); a system that cannot do it fills the pages on first
// touch as usual.
inline void prefault(void* data, std::size_t n) noexcept {
#ifdef MADV_POPULATE_WRITE
    constexpr int kPopulateWrite = MADV_POPULATE_WRITE;
#else
    constexpr int kPopulateWrite = 23; // Linux 5.14; older kernels refuse it harmlessly
#endif
    constexpr std::size_t kWorthIt = 1u << 20;
    if (data == nullptr || n < kWorthIt) {
        return;
    }
    const auto page = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
    const std::uintptr_t start = (reinterpret_cast<std::uintptr_t>(data) + page - 1) & ~(page - 1);
    const std::uintptr_t end = (reinterpret_cast<std::uintptr_t>(data) + n) & ~(page - 1);
    if (end > start) {
        madvise(reinterpret_cast<void*>(start), end - start, kPopulateWrite);
    }
}

} // namespace stream

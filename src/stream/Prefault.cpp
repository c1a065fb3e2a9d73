#include "stream/Prefault.h"

#include <cstdint>
#include <sys/mman.h>
#include <unistd.h>

namespace stream {

void prefault(void* data, size_t n) noexcept {
#ifndef MADV_POPULATE_WRITE
    constexpr int MADV_POPULATE_WRITE = 23; // Linux 5.14
#endif
    constexpr size_t kWorthIt = 1u << 20;
    if (data == nullptr || n < kWorthIt) {
        return;
    }
    const uintptr_t page = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
    const uintptr_t start = (reinterpret_cast<uintptr_t>(data) + page - 1) & ~(page - 1);
    const uintptr_t end = (reinterpret_cast<uintptr_t>(data) + n) & ~(page - 1);
    if (end > start) {
        madvise(reinterpret_cast<void*>(start), end - start, MADV_POPULATE_WRITE);
    }
}

} // namespace stream

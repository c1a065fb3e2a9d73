#pragma once

// The lock count of the module (shared library) this code is linked into. Every live
// object of the object frame holds one lock, and IClassFactory::LockServer adds or removes
// one; DllCanUnloadNow answers S_OK only at 0.
//
// Each module defines the counter once, in one of its source files:
//     Q2COM_DEFINE_MODULE_LOCK_COUNT()
// The declaration is hidden, so every module has its own counter.

#include "com/Types.h"

#include <atomic>

namespace com {

[[gnu::visibility("hidden")]] std::atomic<LONG>& moduleLockCount();

inline void lockModule() {
    moduleLockCount().fetch_add(1, std::memory_order_relaxed);
}
inline void unlockModule() {
    moduleLockCount().fetch_sub(1, std::memory_order_acq_rel);
}

} // namespace com

#define Q2COM_DEFINE_MODULE_LOCK_COUNT()                                                           \
    std::atomic<LONG>& com::moduleLockCount() {                                                    \
        static std::atomic<LONG> count{0};                                                         \
        return count;                                                                              \
    }

#include "platform/system/ServicePack.h"

#include <atomic>

namespace platform::system {

namespace {
std::atomic<uint16_t> servicePackMajor{0};
} // namespace

void ServicePack::refresh() noexcept {
    servicePackMajor.store(0);
}

uint16_t ServicePack::major() noexcept {
    return servicePackMajor.load();
}

} // namespace platform::system

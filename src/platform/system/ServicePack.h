#pragma once

#include <cstdint>

namespace platform::system {

// The operating system's service-pack major number, kept process-wide. It starts at 0 and is
// refreshed by QNCryptoSystem's construction; the certificate classes read it to pick the
// flavour of distinguished names. Linux has no service packs: refresh() always yields 0.
class ServicePack {
public:
    static void refresh() noexcept;
    static uint16_t major() noexcept;
};

} // namespace platform::system

#pragma once

#include <cstdint>
#include <string>

namespace platform::xml {

// Failures of this layer's own XML processing (serialisation, XPath selection, transforms and
// reference digests) are stream::exceptions::StreamException with this code, the one the
// component reports XML processing failures with (0x8004465B).
inline constexpr int32_t kXmlFailureCode = static_cast<int32_t>(0x8004465Bu);

[[noreturn]] void raiseXmlFailure(std::string message);

} // namespace platform::xml

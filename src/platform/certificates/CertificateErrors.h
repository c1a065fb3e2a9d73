#pragma once

#include <cstdint>

namespace platform::certificates {

// Codes of the certificate library (in place of CAPICOM's).
constexpr uint32_t CAPICOM_E_CERTIFICATE_NOT_INITIALIZED = 0x80880210;
constexpr uint32_t CAPICOM_E_CANCELLED = 0x80880902;
constexpr uint32_t E_INVALIDARG = 0x80070057;
constexpr uint32_t E_POINTER = 0x80004003;

} // namespace platform::certificates

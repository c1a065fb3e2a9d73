#pragma once

#include <cstdint>

namespace component::module {

// The component's own error codes (severity error, facility 4, codes 18001-18021).
inline constexpr int32_t QN_E_READ = static_cast<int32_t>(0x80044651u);
inline constexpr int32_t QN_E_WRITE = static_cast<int32_t>(0x80044652u);
inline constexpr int32_t QN_E_DIALOG_CANCELLED = static_cast<int32_t>(0x80044653u);
inline constexpr int32_t QN_E_NO_PRIVATE_KEY = static_cast<int32_t>(0x80044656u);
inline constexpr int32_t QN_E_BAD_INDEX = static_cast<int32_t>(0x80044657u);
inline constexpr int32_t QN_E_DECRYPT = static_cast<int32_t>(0x80044658u);
inline constexpr int32_t QN_E_ENCRYPT_SETUP = static_cast<int32_t>(0x80044659u);
inline constexpr int32_t QN_E_HASH_ALGORITHM = static_cast<int32_t>(0x8004465Au);
inline constexpr int32_t QN_E_OPERATION = static_cast<int32_t>(0x8004465Bu);
inline constexpr int32_t QN_E_ENVELOPE = static_cast<int32_t>(0x8004465Cu);
inline constexpr int32_t QN_E_FORMAT = static_cast<int32_t>(0x8004465Du);
inline constexpr int32_t QN_E_PDF_SIGN = static_cast<int32_t>(0x8004465Eu);
inline constexpr int32_t QN_E_CREATE_COMPONENT = static_cast<int32_t>(0x8004465Fu);
inline constexpr int32_t QN_E_PDF_PROTECTED = static_cast<int32_t>(0x80044660u);
inline constexpr int32_t QN_E_USER_CANCELLED = static_cast<int32_t>(0x80044661u);
inline constexpr int32_t QN_E_WRONG_PASSWORD = static_cast<int32_t>(0x80044662u);
inline constexpr int32_t QN_E_XMLDSIG = static_cast<int32_t>(0x80044663u);
inline constexpr int32_t QN_E_VERIFIER_NOT_INITIALIZED = static_cast<int32_t>(0x80044664u);
inline constexpr int32_t QN_E_QPASIGNER_NOT_INITIALIZED = static_cast<int32_t>(0x80044665u);

// The code of an unexpected failure caught at a method boundary.
inline constexpr int32_t QN_E_UNEXPECTED = static_cast<int32_t>(0xFFFFFFFFu);
// The platform certificate object was never initialised.
inline constexpr int32_t QN_E_CERTIFICATE_NOT_INITIALIZED = static_cast<int32_t>(0x80880210u);

} // namespace component::module

#pragma once

#include <cstdint>

namespace platform::crypt {

// The Windows numeric codes the cryptographic layer raises.
namespace errors {
constexpr uint32_t ERROR_FILE_NOT_FOUND = 2;
constexpr uint32_t ERROR_ACCESS_DENIED = 5;
constexpr uint32_t ERROR_INVALID_DATA = 13;
constexpr uint32_t ERROR_INVALID_PARAMETER = 87;
constexpr uint32_t ERROR_MORE_DATA = 234;
constexpr uint32_t ERROR_NOT_FOUND = 1168;
constexpr uint32_t ERROR_CANCELLED = 1223;
constexpr uint32_t NTE_BAD_HASH = 0x80090002;
constexpr uint32_t NTE_BAD_KEY = 0x80090003;
constexpr uint32_t NTE_BAD_LEN = 0x80090004;
constexpr uint32_t NTE_BAD_DATA = 0x80090005;
constexpr uint32_t NTE_BAD_SIGNATURE = 0x80090006;
constexpr uint32_t NTE_BAD_ALGID = 0x80090008;
constexpr uint32_t NTE_BAD_FLAGS = 0x80090009;
constexpr uint32_t NTE_BAD_TYPE = 0x8009000A;
constexpr uint32_t NTE_BAD_KEY_STATE = 0x8009000B;
constexpr uint32_t NTE_BAD_HASH_STATE = 0x8009000C;
constexpr uint32_t NTE_NO_KEY = 0x8009000D;
constexpr uint32_t NTE_NO_MEMORY = 0x8009000E;
constexpr uint32_t NTE_BAD_KEYSET = 0x80090016;
constexpr uint32_t NTE_FAIL = 0x80090020;
constexpr uint32_t NTE_NOT_SUPPORTED = 0x80090029;
constexpr uint32_t CRYPT_E_MSG_ERROR = 0x80091001;
constexpr uint32_t CRYPT_E_UNKNOWN_ALGO = 0x80091002;
constexpr uint32_t CRYPT_E_OID_FORMAT = 0x80091003;
constexpr uint32_t CRYPT_E_INVALID_MSG_TYPE = 0x80091004;
constexpr uint32_t CRYPT_E_UNEXPECTED_ENCODING = 0x80091005;
constexpr uint32_t CRYPT_E_HASH_VALUE = 0x80091007;
constexpr uint32_t CRYPT_E_INVALID_INDEX = 0x80091008;
constexpr uint32_t CRYPT_E_SIGNER_NOT_FOUND = 0x8009100E;
constexpr uint32_t CRYPT_E_BAD_ENCODE = 0x80092002;
constexpr uint32_t CRYPT_E_NOT_FOUND = 0x80092004;
constexpr uint32_t CRYPT_E_NO_DECRYPT_CERT = 0x8009200C;
constexpr uint32_t CRYPT_E_NO_SIGNER = 0x8009200E;
constexpr uint32_t CRYPT_E_ASN1_EOD = 0x80093102;
constexpr uint32_t CRYPT_E_ASN1_CORRUPT = 0x80093103;
constexpr uint32_t CRYPT_E_ASN1_BADTAG = 0x8009310B;
constexpr uint32_t CERT_E_EXPIRED = 0x800B0101;
constexpr uint32_t CERT_E_UNTRUSTEDROOT = 0x800B0109;
constexpr uint32_t CERT_E_CHAINING = 0x800B010A;
} // namespace errors

// Sets the thread's last error to code and raises stream::exceptions::CryptException.
[[noreturn]] void raiseCrypt(const char* sourceFile, int line, uint32_t code);

} // namespace platform::crypt

#pragma once

#include <cstdint>

namespace platform::http {

// The Windows Internet error numbers the HTTP client reports as the last error of a send.
namespace errors {
constexpr uint32_t ERROR_INTERNET_TIMEOUT = 12002;
constexpr uint32_t ERROR_INTERNET_INTERNAL_ERROR = 12004;
constexpr uint32_t ERROR_INTERNET_INVALID_URL = 12005;
constexpr uint32_t ERROR_INTERNET_UNRECOGNIZED_SCHEME = 12006;
constexpr uint32_t ERROR_INTERNET_NAME_NOT_RESOLVED = 12007;
constexpr uint32_t ERROR_INTERNET_INCORRECT_PASSWORD = 12014;
constexpr uint32_t ERROR_INTERNET_CANNOT_CONNECT = 12029;
constexpr uint32_t ERROR_INTERNET_CONNECTION_ABORTED = 12030;
constexpr uint32_t ERROR_INTERNET_CONNECTION_RESET = 12031;
constexpr uint32_t ERROR_INTERNET_FORCE_RETRY = 12032;
constexpr uint32_t ERROR_INTERNET_SEC_CERT_DATE_INVALID = 12037;
constexpr uint32_t ERROR_INTERNET_SEC_CERT_CN_INVALID = 12038;
constexpr uint32_t ERROR_INTERNET_HTTP_TO_HTTPS_ON_REDIR = 12039;
constexpr uint32_t ERROR_INTERNET_SEC_CERT_ERRORS = 12043;
constexpr uint32_t ERROR_INTERNET_CLIENT_AUTH_CERT_NEEDED = 12044;
constexpr uint32_t ERROR_INTERNET_INVALID_CA = 12045;
constexpr uint32_t ERROR_HTTP_INVALID_SERVER_RESPONSE = 12152;
constexpr uint32_t ERROR_HTTP_REDIRECT_FAILED = 12156;
constexpr uint32_t ERROR_INTERNET_SECURITY_CHANNEL_ERROR = 12157;
} // namespace errors

// The Internet error number that stands for a libcurl result code (a CURLcode);
// ERROR_INTERNET_INTERNAL_ERROR for the codes without a closer match, 0 for success.
uint32_t internetErrorOf(int curlCode) noexcept;

// Whether code is one of the certificate and channel-security errors that a Windows client
// would offer to override in a dialog. Here verification cannot be overridden.
bool isCertificateError(uint32_t code) noexcept;

} // namespace platform::http

#pragma once

#include <memory>

#include <curl/curl.h>

namespace platform::http {

// Owning handles for the libcurl objects the HTTP client uses.
template <typename T, auto Free> struct CurlFree {
    void operator()(T* p) const noexcept { Free(p); }
};

using CurlEasyPtr = std::unique_ptr<CURL, CurlFree<CURL, curl_easy_cleanup>>;
using CurlMultiPtr = std::unique_ptr<CURLM, CurlFree<CURLM, curl_multi_cleanup>>;
using CurlSlistPtr = std::unique_ptr<curl_slist, CurlFree<curl_slist, curl_slist_free_all>>;

// Initialises libcurl once for the process (thread-safe); false when that failed. Every use of
// libcurl in the client comes after it.
bool initialiseCurl() noexcept;

} // namespace platform::http

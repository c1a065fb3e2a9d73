#include "platform/http/CurlHandles.h"

namespace platform::http {

bool initialiseCurl() noexcept {
    // libcurl's process-wide state, kept for the life of the process.
    static const bool initialised = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    return initialised;
}

} // namespace platform::http

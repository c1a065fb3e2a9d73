#pragma once

#include <cstdint>
#include <string>

#include "platform/http/HttpSettings.h"
#include "stream/ByteBuffer.h"

namespace platform::http {

// GETs url ("http://" or "https://") with a client of the default agent and the given
// limits, and returns the body, whole (a 200 answer with no body gives an empty buffer).
// Any failure raises stream::exceptions::StreamException with errorCode and the message
// "HTTP GET of <url> failed: <reason>", the reason as HTTPRequest::failureReason() gives it.
stream::ByteBuffer fetchURL(const std::string& url, int32_t errorCode,
                            const HttpSettings& settings = HttpSettings());

} // namespace platform::http

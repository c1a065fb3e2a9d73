#include "platform/http/FetchURL.h"

#include "platform/http/HTTPRequest.h"
#include "platform/http/MemoryBuffer.h"
#include "platform/http/PageAccess.h"
#include "platform/http/WinInetHTTPSocketIO.h"
#include "stream/exceptions/StreamException.h"

namespace platform::http {

stream::ByteBuffer fetchURL(const std::string& url, int32_t errorCode,
                            const HttpSettings& givenSettings) {
    // Under the bridge the URL came from the page: it must be of the page's origin, and a
    // redirection could leave it, so none is followed.
    PageAccess::require(url);
    HttpSettings settings = givenSettings;
    if (PageAccess::pageOrigin()) {
        settings.followRedirects = false;
    }
    WinInetHTTPSocketIO client;
    client.setSettings(settings);
    std::string reason;
    if (client.Create(std::string()) != 1) {
        reason = "the HTTP client could not be opened";
    } else {
        MemoryBuffer body(settings.maxBodySize);
        HTTPRequest request;
        switch (request.Connect(&client, "GET", url, &body)) {
        case HTTPRequest::Result::Succeeded:
            return body.take();
        case HTTPRequest::Result::MissingArguments:
            reason = "no URL";
            break;
        case HTTPRequest::Result::Failed:
            reason = request.failureReason();
            break;
        }
    }
    throw stream::exceptions::StreamException("HTTP GET of " + url + " failed: " + reason,
                                              errorCode);
}

} // namespace platform::http

#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/http/RequestDescription.h"

namespace platform::http {

class CurlTransfer;
class MemoryBuffer;
class PostBody;
class WinInetHTTPSocketIO;

// One HTTP request of a client: GET, or POST with a body provider. Connect parses the URL and
// runs the exchange on a thread of its own, waiting for it; the thread's result is the
// exchange's. A 200 answer hands the whole body to the response buffer; a 401 or 407 answer
// asks for credentials through the user-interaction layer and sends the request again with
// them; any other answer, a transport failure (refused connection, time-out, TLS
// verification, body over the client's limit, a connection lost in the body) or a cancelled
// prompt fails the request, leaves the response buffer as it was, and leaves the reason in
// failureReason(). The connection stays open between the requests of one object.
class HTTPRequest {
public:
    enum class Result : uint8_t { MissingArguments = 0, Succeeded = 1, Failed = 255 };

    static constexpr const char* kBadLength = "La longitud que se devolvio no fue la correcta.";

    HTTPRequest();
    ~HTTPRequest();
    HTTPRequest(const HTTPRequest&) = delete;
    HTTPRequest& operator=(const HTTPRequest&) = delete;

    // Runs method ("GET" or "POST") on url, appending the body of the answer to response.
    // MissingArguments for a null client or response, an empty method or URL, or a POST
    // without body.
    Result Connect(WinInetHTTPSocketIO* client, const std::string& method, const std::string& url,
                   MemoryBuffer* response, PostBody* body = nullptr);

    // The next chunk of the body being received and its length, null at its end. Used by the
    // exchange; outside one there is nothing to read.
    const unsigned char* Read(size_t& length);
    // Sends a piece of the body of the POST being sent (from PostBody::WriteBody). False when
    // it cannot be sent, or when it would pass the announced length.
    bool Write(const void* bytes, size_t n);

    // The Internet error number of the last failed send (see InternetErrors.h), 0 when none.
    uint32_t lastError() const noexcept { return lastError_; }
    // Why the last Connect failed, for people: a URL format message, kUntrustedURL, the HTTP
    // status ("HTTP status 404 Not Found"), the transport's message, ... Empty after success.
    const std::string& failureReason() const noexcept { return failureReason_; }
    // What the last Connect made of its method and URL (nullopt when they were refused).
    const std::optional<RequestDescription>& description() const noexcept { return description_; }

private:
    enum class Outcome { Retry, Cancelled, Failure };
    enum class QueryInfo { StatusCode };

    Result Exchange(WinInetHTTPSocketIO& client, const RequestDescription& request,
                    MemoryBuffer& response, PostBody* body) noexcept;
    Result Run(WinInetHTTPSocketIO& client, const RequestDescription& request,
               MemoryBuffer& response, PostBody* body);
    bool OpenRequest(WinInetHTTPSocketIO& client, const RequestDescription& request,
                     PostBody* body);
    bool SendPostRequest(PostBody& body);
    bool ReadBody(MemoryBuffer& response);
    long GetHttpQueryInfo(QueryInfo what) const;
    Outcome GetResponse(const RequestDescription& request, bool proxy);
    void fail(const std::string& function, const std::string& message);

    std::unique_ptr<CurlTransfer> transfer_;
    WinInetHTTPSocketIO* client_ = nullptr;
    std::optional<RequestDescription> description_;
    uint32_t lastError_ = 0;
    std::string failureReason_;
    // The POST being sent: whether Write may be used, the announced and the written length.
    bool posting_ = false;
    uint64_t announced_ = 0;
    uint64_t written_ = 0;
};

} // namespace platform::http

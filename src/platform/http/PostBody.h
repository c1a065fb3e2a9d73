#pragma once

#include <cstddef>
#include <string>

namespace platform::http {

class HTTPRequest;

// What a POST sends: its length (announced as "Content-Length"), its content type, extra
// request headers (lines separated by "\r\n"), and the callback that writes the body through
// the request's Write, in as many pieces as it likes and exactly GetLength() bytes in all.
// The callback runs again for every retry of the request.
class PostBody {
public:
    virtual ~PostBody() = default;

    virtual size_t GetLength() = 0;
    virtual std::string ContentType() = 0;
    virtual std::string ExtraHeaders() { return std::string(); }
    // Writes the body with request.Write(...); false when it could not.
    virtual bool WriteBody(HTTPRequest& request) = 0;
};

} // namespace platform::http

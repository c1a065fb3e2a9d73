#include "platform/http/HTTPRequest.h"

#include <system_error>
#include <thread>
#include <vector>

#include "platform/http/CurlTransfer.h"
#include "platform/http/InternetErrors.h"
#include "platform/http/MemoryBuffer.h"
#include "platform/http/PostBody.h"
#include "platform/http/WinInetHTTPSocketIO.h"
#include "platform/ui/UserInteraction.h"

namespace platform::http {

namespace {

constexpr const char* kName = "HTTPRequest";

bool hasLineBreak(const std::string& text) {
    return text.find_first_of("\r\n") != std::string::npos;
}

// A header line "Name: value": a non-empty name of visible characters without ':', and no
// control character but tabs anywhere.
bool isHeaderLine(const std::string& line) {
    size_t colon = line.find(':');
    if (colon == 0 || colon == std::string::npos) {
        return false;
    }
    for (size_t i = 0; i < line.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(line[i]);
        if (i < colon && (c <= 0x20 || c == 0x7F)) {
            return false;
        }
        if ((c < 0x20 && c != '\t') || c == 0x7F) {
            return false;
        }
    }
    return true;
}

// The lines of a block of extra headers separated by "\r\n" (or "\n"); empty lines are skipped.
std::vector<std::string> headerLines(const std::string& block) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start <= block.size()) {
        size_t end = block.find('\n', start);
        std::string line =
            block.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (!line.empty()) {
            lines.push_back(line);
        }
        if (end == std::string::npos) {
            break;
        }
        start = end + 1;
    }
    return lines;
}

} // namespace

HTTPRequest::HTTPRequest() = default;
HTTPRequest::~HTTPRequest() = default;

HTTPRequest::Result HTTPRequest::Connect(WinInetHTTPSocketIO* client, const std::string& method,
                                         const std::string& url, MemoryBuffer* response,
                                         PostBody* body) {
    if (client == nullptr || response == nullptr || method.empty() || url.empty() ||
        (method == "POST" && body == nullptr)) {
        return Result::MissingArguments;
    }
    client_ = client;
    lastError_ = 0;
    failureReason_.clear();
    std::string error;
    description_ = RequestDescription::parse(method, url, error);
    if (!description_) {
        fail("Connect", error);
        return Result::Failed;
    }
    if (!client->created()) {
        fail("Connect", "the HTTP client is not open");
        return Result::Failed;
    }
    Result result = Result::Failed;
    try {
        std::thread exchange([&] { result = Exchange(*client, *description_, *response, body); });
        exchange.join();
    } catch (const std::system_error& e) {
        fail("Connect", e.what());
        return Result::Failed;
    }
    return result;
}

HTTPRequest::Result HTTPRequest::Exchange(WinInetHTTPSocketIO& client,
                                          const RequestDescription& request, MemoryBuffer& response,
                                          PostBody* body) noexcept {
    // A failed exchange leaves the response buffer as it found it: half a body must not pass
    // for a body.
    const size_t before = response.size();
    try {
        if (!client.IsTrustURL(request.baseURL())) {
            fail("Connect", WinInetHTTPSocketIO::kUntrustedURL);
            return Result::Failed;
        }
        if (!transfer_) {
            transfer_ = std::make_unique<CurlTransfer>();
        }
        if (request.method == "POST" && client.CheckProxy() == 1) {
            // Through a proxy, its authentication happens on a GET first, before the body
            // is sent. What that GET brings is of no use.
            RequestDescription probe = request;
            probe.method = "GET";
            probe.path = "/";
            MemoryBuffer discarded(client.settings().maxBodySize);
            Run(client, probe, discarded, nullptr);
            lastError_ = 0;
            failureReason_.clear();
        }
        Result result = Run(client, request, response, body);
        if (result != Result::Succeeded) {
            response.truncate(before);
        }
        return result;
    } catch (const std::exception& e) {
        fail("Connect", e.what());
    } catch (...) {
        fail("Connect", "unexpected failure");
    }
    if (transfer_) {
        transfer_->finish();
    }
    response.truncate(before);
    return Result::Failed;
}

HTTPRequest::Result HTTPRequest::Run(WinInetHTTPSocketIO& client, const RequestDescription& request,
                                     MemoryBuffer& response, PostBody* body) {
    const bool post = request.method == "POST";
    for (;;) {
        lastError_ = 0;
        if (!OpenRequest(client, request, body)) {
            return Result::Failed;
        }
        if (post) {
            if (!SendPostRequest(*body)) {
                transfer_->finish();
                return Result::Failed;
            }
        } else {
            transfer_->waitForResponse();
        }

        long status = GetHttpQueryInfo(QueryInfo::StatusCode);
        if (transfer_->failed() && transfer_->proxyConnectStatus() == 407) {
            status = 407; // the proxy refused to open a tunnel without credentials
        } else if (transfer_->failed()) {
            lastError_ = internetErrorOf(transfer_->errorCode());
            std::string reason = transfer_->errorText();
            transfer_->finish();
            if (GetResponse(request, false) == Outcome::Retry) {
                continue;
            }
            fail(post ? "HttpSendRequestEx" : "HttpSendRequest", reason);
            return Result::Failed;
        }

        if (status == 200) {
            const bool whole = ReadBody(response);
            transfer_->finish();
            return whole ? Result::Succeeded : Result::Failed;
        }

        std::string answer = "HTTP status " + std::to_string(status);
        if (!transfer_->reasonPhrase().empty()) {
            answer += " " + transfer_->reasonPhrase();
        }
        transfer_->finish();
        if (status == 401 || status == 407) {
            lastError_ = errors::ERROR_INTERNET_INCORRECT_PASSWORD;
            Outcome outcome = GetResponse(request, status == 407);
            if (outcome == Outcome::Retry) {
                continue;
            }
            fail("HttpSendRequest",
                 answer + (outcome == Outcome::Cancelled ? ": credentials prompt cancelled" : ""));
            return Result::Failed;
        }
        fail("HttpQueryInfo", answer);
        return Result::Failed;
    }
}

bool HTTPRequest::OpenRequest(WinInetHTTPSocketIO& client, const RequestDescription& request,
                              PostBody* body) {
    CurlTransfer::Request open;
    open.url = request.url();
    open.agent = client.agent();
    open.settings = client.settings();
    open.headers.push_back("Accept: */*");
    if (request.method == "POST") {
        const size_t length = body->GetLength();
        if (length == 0) {
            fail("HttpAddRequestHeaders", kBadLength);
            return false;
        }
        const std::string contentType = body->ContentType();
        if (hasLineBreak(contentType)) {
            fail("HttpAddRequestHeaders", "malformed Content-Type: " + contentType);
            return false;
        }
        open.post = true;
        open.uploadLength = length;
        announced_ = length;
        open.headers.push_back("Content-Length: " + std::to_string(length));
        open.headers.push_back("Content-Type: " + contentType);
        for (const std::string& line : headerLines(body->ExtraHeaders())) {
            if (!isHeaderLine(line)) {
                fail("HttpAddRequestHeaders", "malformed request header: " + line);
                return false;
            }
            open.headers.push_back(line);
        }
    }
    transfer_->start(open);
    return true;
}

bool HTTPRequest::SendPostRequest(PostBody& body) {
    written_ = 0;
    posting_ = true;
    bool written = false;
    try {
        written = body.WriteBody(*this);
    } catch (...) {
        posting_ = false;
        throw;
    }
    posting_ = false;
    if (transfer_->failed()) {
        return true; // a transport failure: handled as the answer to the send
    }
    if (!written) {
        if (failureReason_.empty()) {
            fail("InternetWriteFile", "the POST body could not be written");
        }
        return false;
    }
    if (written_ != announced_) {
        fail("HttpEndRequest", kBadLength);
        return false;
    }
    transfer_->endUpload();
    transfer_->waitForResponse();
    return true;
}

bool HTTPRequest::Write(const void* bytes, size_t n) {
    if (!posting_ || !transfer_) {
        return false;
    }
    if (n > announced_ - written_) {
        fail("InternetWriteFile", kBadLength);
        return false;
    }
    if (!transfer_->write(static_cast<const unsigned char*>(bytes), n)) {
        return false;
    }
    written_ += n;
    return true;
}

const unsigned char* HTTPRequest::Read(size_t& length) {
    length = 0;
    return transfer_ ? transfer_->read(length) : nullptr;
}

bool HTTPRequest::ReadBody(MemoryBuffer& response) {
    size_t length = 0;
    while (const unsigned char* chunk = Read(length)) {
        if (!response.Write(chunk, length)) {
            fail("InternetReadFile", "the response body exceeds the limit of " +
                                         std::to_string(response.limit()) + " bytes");
            return false;
        }
    }
    if (transfer_->failed()) {
        lastError_ = internetErrorOf(transfer_->errorCode());
        fail("InternetReadFile", transfer_->errorText());
        return false;
    }
    return true;
}

long HTTPRequest::GetHttpQueryInfo(QueryInfo what) const {
    if (!transfer_) {
        return 0;
    }
    switch (what) {
    case QueryInfo::StatusCode:
        return transfer_->status();
    }
    return 0;
}

HTTPRequest::Outcome HTTPRequest::GetResponse(const RequestDescription& request, bool proxy) {
    switch (lastError_) {
    case errors::ERROR_INTERNET_INCORRECT_PASSWORD: {
        std::string prompt =
            (proxy ? "Proxy credentials for " : "Credentials for ") + request.baseURL();
        auto credentials = ui::current().credentials(prompt);
        if (!credentials) {
            return Outcome::Cancelled;
        }
        transfer_->setCredentials(proxy, credentials->user, credentials->password,
                                  transfer_->basicChallengeOnly(proxy));
        return Outcome::Retry;
    }
    case errors::ERROR_INTERNET_FORCE_RETRY:
        return Outcome::Retry;
    default:
        // Certificate errors included: the verification of a server cannot be overridden.
        return Outcome::Failure;
    }
}

void HTTPRequest::fail(const std::string& function, const std::string& message) {
    failureReason_ = message;
    if (client_ != nullptr) {
        client_->diagnostic(kName, function, message);
    }
}

} // namespace platform::http

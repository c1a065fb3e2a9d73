#include <gtest/gtest.h>

#include "HttpFixture.h"
#include "platform/http/MemoryBuffer.h"
#include "platform/http/PostBody.h"

using namespace platform::http;
using Result = HTTPRequest::Result;

namespace {

// A body written in pieces of a given size; announces a length that may differ from what it
// writes.
class PiecesBody : public PostBody {
public:
    PiecesBody(std::string bytes, size_t piece) : bytes_(std::move(bytes)), piece_(piece) {
        announced_ = bytes_.size();
    }

    size_t GetLength() override { return announced_; }
    std::string ContentType() override { return contentType_; }
    std::string ExtraHeaders() override { return extra_; }
    bool WriteBody(HTTPRequest& request) override {
        ++writes_;
        for (size_t at = 0; at < bytes_.size(); at += piece_) {
            if (!request.Write(bytes_.data() + at, std::min(piece_, bytes_.size() - at))) {
                return false;
            }
        }
        return true;
    }

    std::string bytes_;
    size_t piece_;
    size_t announced_;
    std::string contentType_ = "application/octet-stream";
    std::string extra_;
    int writes_ = 0;
};

struct Posted {
    Result result;
    std::string body;
    std::string reason;
};

} // namespace

class HttpPost : public HttpTest {
protected:
    Posted post(const std::string& url, PostBody& body) {
        MemoryBuffer response;
        HTTPRequest request;
        Result result = request.Connect(&client_, "POST", url, &response, &body);
        return {result, std::string(response.view()), request.failureReason()};
    }
    // The request headers and the request body the echo path sent back.
    static std::pair<std::string, std::string> split(const std::string& echoed) {
        size_t gap = echoed.find("\n\n");
        if (gap == std::string::npos) {
            return {echoed, ""};
        }
        return {echoed.substr(0, gap + 1), echoed.substr(gap + 2)};
    }
};

TEST_F(HttpPost, TheBodyReachesTheServerIntact) {
    TestServer server({"--log", path("log")});
    std::string bytes = pattern(300001);
    bytes[5] = '\0';
    PiecesBody body(bytes, 4093);
    body.contentType_ = "text/xml; charset=UTF-8";
    body.extra_ = "X-Quillion: uno\r\nX-Other: dos\r\n";
    auto posted = post(server.url("/echo"), body);
    ASSERT_EQ(posted.result, Result::Succeeded) << posted.reason;
    auto [headers, received] = split(posted.body);
    EXPECT_TRUE(received == bytes) << received.size();
    EXPECT_NE(headers.find("Content-Length: 300001\n"), std::string::npos) << headers;
    EXPECT_NE(headers.find("Content-Type: text/xml; charset=UTF-8\n"), std::string::npos);
    EXPECT_NE(headers.find("X-Quillion: uno\n"), std::string::npos);
    EXPECT_NE(headers.find("X-Other: dos\n"), std::string::npos);
    EXPECT_NE(headers.find("Accept: */*\n"), std::string::npos);
    EXPECT_EQ(headers.find("Expect:"), std::string::npos);
    EXPECT_EQ(readFile("log"), "POST /echo auth=no proxy-auth=no ua=Ondrel - HTTP Agent\n");
}

TEST_F(HttpPost, AZeroLengthIsRefusedBeforeAnythingIsSent) {
    TestServer server({"--log", path("log")});
    PiecesBody body("", 10);
    auto posted = post(server.url("/echo"), body);
    EXPECT_EQ(posted.result, Result::Failed);
    EXPECT_EQ(posted.reason, "La longitud que se devolvio no fue la correcta.");
    EXPECT_EQ(body.writes_, 0);
    EXPECT_EQ(readFile("log"), "");
}

TEST_F(HttpPost, WritingOtherThanTheAnnouncedLengthFails) {
    TestServer server;
    PiecesBody shorter("abcdef", 2);
    shorter.announced_ = 10;
    auto posted = post(server.url("/echo"), shorter);
    EXPECT_EQ(posted.result, Result::Failed);
    EXPECT_EQ(posted.reason, "La longitud que se devolvio no fue la correcta.");

    PiecesBody longer("abcdef", 4);
    longer.announced_ = 5;
    posted = post(server.url("/echo"), longer);
    EXPECT_EQ(posted.result, Result::Failed);
    EXPECT_EQ(posted.reason, "La longitud que se devolvio no fue la correcta.");
    EXPECT_EQ(posted.body, "");
}

TEST_F(HttpPost, HeadersThatWouldSplitTheRequestAreRefused) {
    TestServer server({"--log", path("log")});
    PiecesBody body("abc", 3);
    body.contentType_ = "text/plain\r\nX-Injected: 1";
    EXPECT_EQ(post(server.url("/echo"), body).result, Result::Failed);
    body.contentType_ = "text/plain";
    body.extra_ = "no colon here";
    EXPECT_EQ(post(server.url("/echo"), body).result, Result::Failed);
    EXPECT_EQ(readFile("log"), "");
}

TEST_F(HttpPost, AnAuthenticatedRetryWritesTheBodyAgain) {
    TestServer server({"--log", path("log")});
    answers("credentials=juan:s3creto\n");
    PiecesBody body("payload", 3);
    auto posted = post(server.url("/auth"), body);
    EXPECT_EQ(posted.result, Result::Succeeded) << posted.reason;
    EXPECT_EQ(posted.body, "welcome juan");
    EXPECT_EQ(body.writes_, 2);
}

TEST_F(HttpPost, ThroughAProxyAGetOfTheRootGoesFirst) {
    TestServer proxy({"--proxy", "--log", path("log")});
    setEnv("http_proxy", "http://127.0.0.1:" + std::to_string(proxy.port()));
    PiecesBody body("<a/>", 4);
    auto posted = post("http://origin.invalid/echo", body);
    EXPECT_EQ(posted.result, Result::Succeeded) << posted.reason;
    EXPECT_EQ(posted.body, "proxied POST http://origin.invalid/echo HTTP/1.1\n<a/>");
    EXPECT_EQ(readFile("log"),
              "GET http://origin.invalid/ auth=no proxy-auth=no ua=Ondrel - HTTP Agent\n"
              "POST http://origin.invalid/echo auth=no proxy-auth=no ua=Ondrel - HTTP Agent\n");
}

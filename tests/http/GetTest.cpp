#include <gtest/gtest.h>

#include "HttpFixture.h"
#include "platform/http/FetchURL.h"
#include "platform/http/InternetErrors.h"
#include "platform/http/MemoryBuffer.h"
#include "stream/exceptions/StreamException.h"

using namespace platform::http;
using Result = HTTPRequest::Result;

using HttpGet = HttpTest;

TEST_F(HttpGet, SmallBodyArrivesWithTheClientsAgent) {
    TestServer server({"--log", path("log")});
    auto fetched = get(server.url("/small"));
    EXPECT_EQ(fetched.result, Result::Succeeded);
    EXPECT_EQ(fetched.body, "hello, quillion");
    EXPECT_EQ(fetched.reason, "");
    EXPECT_EQ(readFile("log"), "GET /small auth=no proxy-auth=no ua=Ondrel - HTTP Agent\n");

    WinInetHTTPSocketIO named;
    ASSERT_EQ(named.Create("Quillion test agent"), 1);
    EXPECT_EQ(get(named, server.url("/small")).body, "hello, quillion");
    EXPECT_NE(readFile("log").find("ua=Quillion test agent\n"), std::string::npos);
}

TEST_F(HttpGet, HostOnlyAsksForTheRoot) {
    TestServer server({"--log", path("log")});
    auto fetched = get(server.url(""));
    EXPECT_EQ(fetched.result, Result::Succeeded);
    EXPECT_EQ(fetched.body, "root");
    EXPECT_EQ(readFile("log").substr(0, 6), "GET / ");
}

TEST_F(HttpGet, LargeBodiesArriveByteExact) {
    TestServer server;
    const size_t size = 5 * 1024 * 1024 + 123;
    const std::string expected = pattern(size);
    for (const char* mode : {"", "&chunked=1"}) {
        auto fetched = get(server.url("/large?size=" + std::to_string(size) + mode));
        EXPECT_EQ(fetched.result, Result::Succeeded) << mode << fetched.reason;
        ASSERT_EQ(fetched.body.size(), size) << mode;
        EXPECT_TRUE(fetched.body == expected) << mode;
    }
}

TEST_F(HttpGet, ResponsesAppendToWhatTheBufferHolds) {
    TestServer server;
    MemoryBuffer response;
    ASSERT_TRUE(response.Write("before|", 7));
    HTTPRequest request;
    EXPECT_EQ(request.Connect(&client_, "GET", server.url("/small"), &response), Result::Succeeded);
    // The same request object again, on the connection it keeps.
    EXPECT_EQ(request.Connect(&client_, "GET", server.url("/"), &response), Result::Succeeded);
    EXPECT_EQ(response.view(), "before|hello, quillionroot");
}

TEST_F(HttpGet, StatusesOtherThan200Fail) {
    TestServer server;
    for (int status : {404, 500, 204, 403}) {
        auto fetched = get(server.url("/status/" + std::to_string(status)));
        EXPECT_EQ(fetched.result, Result::Failed) << status;
        EXPECT_EQ(fetched.body, "") << status;
        EXPECT_EQ(fetched.reason.rfind("HTTP status " + std::to_string(status), 0), 0u)
            << fetched.reason;
    }
    EXPECT_EQ(get(server.url("/status/404")).reason, "HTTP status 404 Not Found");
    EXPECT_EQ(get(server.url("/nothing-here")).result, Result::Failed);
}

TEST_F(HttpGet, RedirectsAreFollowed) {
    TestServer server({"--log", path("log")});
    auto fetched = get(server.url("/redirect"));
    EXPECT_EQ(fetched.result, Result::Succeeded) << fetched.reason;
    EXPECT_EQ(fetched.body, "hello, quillion");
    EXPECT_NE(readFile("log").find("GET /small"), std::string::npos);
}

TEST_F(HttpGet, ARefusedConnectionFails) {
    auto fetched = get("http://127.0.0.1:" + std::to_string(closedPort()) + "/small");
    EXPECT_EQ(fetched.result, Result::Failed);
    EXPECT_EQ(fetched.lastError, errors::ERROR_INTERNET_CANNOT_CONNECT);
    EXPECT_NE(fetched.reason.find("Couldn't connect"), std::string::npos) << fetched.reason;
}

TEST_F(HttpGet, AServerThatNeverAnswersFailsAfterTheStallTimeOut) {
    TestServer server;
    HttpSettings settings = client_.settings();
    settings.stallTimeout = std::chrono::seconds(1);
    client_.setSettings(settings);
    MemoryBuffer response;
    ASSERT_TRUE(response.Write("kept", 4));
    HTTPRequest request;
    EXPECT_EQ(request.Connect(&client_, "GET", server.url("/silent"), &response), Result::Failed);
    EXPECT_EQ(request.lastError(), errors::ERROR_INTERNET_TIMEOUT);
    EXPECT_NE(request.failureReason().find("Timeout"), std::string::npos)
        << request.failureReason();
    EXPECT_TRUE(response.view() == "kept");
}

TEST_F(HttpGet, AConnectionLostInTheBodyFailsInsteadOfGivingHalf) {
    TestServer server;
    MemoryBuffer response;
    ASSERT_TRUE(response.Write("kept", 4));
    HTTPRequest request;
    EXPECT_EQ(request.Connect(&client_, "GET", server.url("/truncated"), &response),
              Result::Failed);
    EXPECT_EQ(request.lastError(), errors::ERROR_INTERNET_CONNECTION_ABORTED);
    EXPECT_FALSE(request.failureReason().empty());
    EXPECT_TRUE(response.view() == "kept");
}

TEST_F(HttpGet, BodiesOverTheLimitFailAndLeaveTheBufferAsItWas) {
    TestServer server;
    HttpSettings settings = client_.settings();
    settings.maxBodySize = 1024 * 1024;
    client_.setSettings(settings);
    const std::string size = std::to_string(3 * 1024 * 1024);
    for (const char* mode : {"", "&chunked=1"}) {
        MemoryBuffer response;
        ASSERT_TRUE(response.Write("kept", 4));
        HTTPRequest request;
        EXPECT_EQ(
            request.Connect(&client_, "GET", server.url("/large?size=" + size + mode), &response),
            Result::Failed)
            << mode;
        EXPECT_NE(request.failureReason().find("exceeds the limit of 1048576 bytes"),
                  std::string::npos)
            << request.failureReason();
        EXPECT_TRUE(response.view() == "kept") << mode;
    }
    // A response buffer with a smaller limit than the client's fails the same way.
    MemoryBuffer small(100);
    HTTPRequest request;
    EXPECT_EQ(request.Connect(&client_, "GET", server.url("/large?size=5000"), &small),
              Result::Failed);
    EXPECT_EQ(small.size(), 0u);
}

TEST_F(HttpGet, RefusedUrlsAndMissingArguments) {
    std::vector<std::string> diagnostics;
    client_.setDiagnosticSink([&](const std::string& text) { diagnostics.push_back(text); });
    MemoryBuffer response;
    HTTPRequest request;
    EXPECT_EQ(request.Connect(&client_, "GET", "ftp://127.0.0.1/x", &response), Result::Failed);
    EXPECT_EQ(request.failureReason(), "el metodo deber ser http o https");
    EXPECT_EQ(request.Connect(&client_, "GET", "http:/127.0.0.1/x", &response), Result::Failed);
    EXPECT_EQ(request.failureReason(), "mal formato en URL");
    EXPECT_EQ(diagnostics, (std::vector<std::string>{
                               "HTTPRequest(): Connect(): Error: el metodo deber ser http o https",
                               "HTTPRequest(): Connect(): Error: mal formato en URL"}));

    EXPECT_EQ(request.Connect(nullptr, "GET", "http://h/", &response), Result::MissingArguments);
    EXPECT_EQ(request.Connect(&client_, "GET", "http://h/", nullptr), Result::MissingArguments);
    EXPECT_EQ(request.Connect(&client_, "", "http://h/", &response), Result::MissingArguments);
    EXPECT_EQ(request.Connect(&client_, "GET", "", &response), Result::MissingArguments);
    EXPECT_EQ(request.Connect(&client_, "POST", "http://h/", &response), Result::MissingArguments);
    EXPECT_EQ(static_cast<int>(Result::Failed), 255);

    WinInetHTTPSocketIO unopened;
    EXPECT_EQ(request.Connect(&unopened, "GET", "http://127.0.0.1:1/", &response), Result::Failed);
    EXPECT_EQ(request.failureReason(), "the HTTP client is not open");
    size_t length = 0;
    EXPECT_EQ(request.Read(length), nullptr);
}

TEST_F(HttpGet, FetchUrlGivesTheBodyOrAStreamException) {
    TestServer server;
    HttpSettings settings = client_.settings();
    EXPECT_EQ(fetchURL(server.url("/small"), 0x12345, settings).view(), "hello, quillion");
    const int32_t readError = static_cast<int32_t>(0x80044651u);
    try {
        fetchURL(server.url("/status/404"), readError, settings);
        ADD_FAILURE() << "a 404 was taken for a body";
    } catch (const stream::exceptions::StreamException& e) {
        EXPECT_EQ(e.code(), readError);
        EXPECT_EQ(e.message(), "HTTP GET of " + server.url("/status/404") +
                                   " failed: HTTP status 404 Not Found");
    }
    try {
        fetchURL("http://127.0.0.1:" + std::to_string(closedPort()) + "/", readError, settings);
        ADD_FAILURE() << "a refused connection was taken for an empty body";
    } catch (const stream::exceptions::StreamException& e) {
        EXPECT_EQ(e.code(), readError);
        EXPECT_NE(e.message().find("Couldn't connect"), std::string::npos) << e.message();
    }
    EXPECT_THROW(fetchURL("", readError, settings), stream::exceptions::StreamException);
    EXPECT_THROW(fetchURL("ftp://127.0.0.1/", readError, settings),
                 stream::exceptions::StreamException);
}

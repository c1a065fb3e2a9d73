#include <gtest/gtest.h>

#include "HttpFixture.h"
#include "platform/http/InternetErrors.h"

using namespace platform::http;
using Result = HTTPRequest::Result;

using HttpAuthentication = HttpTest;

TEST_F(HttpAuthentication, A401IsAnsweredWithPromptedCredentialsAndRetried) {
    TestServer server({"--log", path("log")});
    answers("credentials=juan:s3creto\n");
    auto fetched = get(server.url("/auth"));
    EXPECT_EQ(fetched.result, Result::Succeeded) << fetched.reason;
    EXPECT_EQ(fetched.body, "welcome juan");
    EXPECT_EQ(readFile("log"), "GET /auth auth=no proxy-auth=no ua=Ondrel - HTTP Agent\n"
                               "GET /auth auth=yes proxy-auth=no ua=Ondrel - HTTP Agent\n");
}

TEST_F(HttpAuthentication, ACancelledPromptFailsTheFetch) {
    TestServer server({"--log", path("log")});
    answers("credentials=cancel\n");
    auto fetched = get(server.url("/auth"));
    EXPECT_EQ(fetched.result, Result::Failed);
    EXPECT_EQ(fetched.body, "");
    EXPECT_EQ(fetched.lastError, errors::ERROR_INTERNET_INCORRECT_PASSWORD);
    EXPECT_EQ(fetched.reason, "HTTP status 401 Unauthorized: credentials prompt cancelled");
    EXPECT_EQ(readFile("log"), "GET /auth auth=no proxy-auth=no ua=Ondrel - HTTP Agent\n");
}

TEST_F(HttpAuthentication, WrongCredentialsAskAgainUntilTheUserGivesUp) {
    TestServer server({"--log", path("log")});
    answers("credentials=juan:wrong\ncredentials=juan:s3creto\n");
    EXPECT_EQ(get(server.url("/auth")).body, "welcome juan");

    // No answer left: the prompt counts as cancelled.
    auto fetched = get(server.url("/status/401"));
    EXPECT_EQ(fetched.result, Result::Failed);
    EXPECT_NE(fetched.reason.find("cancelled"), std::string::npos);
}

TEST_F(HttpAuthentication, ProxyCredentialsAnswerA407) {
    TestServer proxy({"--proxy", "--proxy-auth", "pedro:pr0xy", "--log", path("log")});
    setEnv("http_proxy", "http://127.0.0.1:" + std::to_string(proxy.port()));
    answers("credentials=pedro:pr0xy\n");
    auto fetched = get("http://origin.invalid/doc.xml");
    EXPECT_EQ(fetched.result, Result::Succeeded) << fetched.reason;
    EXPECT_EQ(fetched.body, "proxied GET http://origin.invalid/doc.xml HTTP/1.1");
    EXPECT_EQ(readFile("log"),
              "GET http://origin.invalid/doc.xml auth=no proxy-auth=no ua=Ondrel - HTTP Agent\n"
              "GET http://origin.invalid/doc.xml auth=no proxy-auth=yes ua=Ondrel - HTTP "
              "Agent\n");
}

#include <gtest/gtest.h>

#include <thread>

#include "HttpFixture.h"
#include "platform/http/MemoryBuffer.h"

using namespace platform::http;
using Result = HTTPRequest::Result;

using HttpProxy = HttpTest;
using HttpTrust = HttpTest;

TEST_F(HttpProxy, TheProxyFromHttpProxyCarriesTheRequest) {
    TestServer proxy({"--proxy", "--log", path("log")});
    setEnv("http_proxy", "http://127.0.0.1:" + std::to_string(proxy.port()));
    EXPECT_EQ(client_.CheckProxy(), 1);
    auto fetched = get("http://origin.invalid:8080/policy.xml");
    EXPECT_EQ(fetched.result, Result::Succeeded) << fetched.reason;
    EXPECT_EQ(fetched.body, "proxied GET http://origin.invalid:8080/policy.xml HTTP/1.1");
    EXPECT_EQ(readFile("log"), "GET http://origin.invalid:8080/policy.xml auth=no "
                               "proxy-auth=no ua=Ondrel - HTTP Agent\n");
}

TEST_F(HttpProxy, NoProxyHostsGoDirect) {
    TestServer server;
    // The proxy port is closed: a request that took it would fail.
    setEnv("http_proxy", "http://127.0.0.1:" + std::to_string(closedPort()));
    setEnv("no_proxy", "127.0.0.1");
    auto fetched = get(server.url("/small"));
    EXPECT_EQ(fetched.result, Result::Succeeded) << fetched.reason;
    EXPECT_EQ(fetched.body, "hello, quillion");
}

TEST_F(HttpProxy, CheckProxyAnswersFromTheEnvironment) {
    EXPECT_EQ(client_.CheckProxy(), 0);
    setEnv("HTTP_PROXY", "http://127.0.0.1:3128"); // not read: it may come from a CGI header
    EXPECT_EQ(client_.CheckProxy(), 0);
    for (const char* name : {"http_proxy", "https_proxy", "HTTPS_PROXY", "all_proxy"}) {
        setEnv(name, "http://127.0.0.1:3128");
        EXPECT_EQ(client_.CheckProxy(), 1) << name;
        setEnv("no_proxy", "*");
        EXPECT_EQ(client_.CheckProxy(), 0) << name;
        setEnv("no_proxy", "example.org");
        EXPECT_EQ(client_.CheckProxy(), 1) << name;
        unsetenv(name);
        unsetenv("no_proxy");
    }
}

TEST_F(HttpTrust, UrlsJoinTheTrustedListOnce) {
    WinInetHTTPSocketIO unopened;
    EXPECT_FALSE(unopened.IsTrustURL("http://a:80/"));
    EXPECT_FALSE(client_.IsTrustURL(""));
    EXPECT_TRUE(client_.IsTrustURL("http://a:80/"));
    EXPECT_TRUE(client_.IsTrustURL("https://b:443/"));
    EXPECT_TRUE(client_.IsTrustURL("http://a:80/"));
    EXPECT_EQ(client_.trustedURLs(), (std::vector<std::string>{"http://a:80/", "https://b:443/"}));
}

TEST_F(HttpTrust, ConcurrentChecksKeepOneEntryPerUrl) {
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t) {
        threads.emplace_back([this, t] {
            for (int i = 0; i < 200; ++i) {
                client_.IsTrustURL("http://host" + std::to_string((i + t) % 10) + ":80/");
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    auto trusted = client_.trustedURLs();
    std::sort(trusted.begin(), trusted.end());
    ASSERT_EQ(trusted.size(), 10u);
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(trusted[i], "http://host" + std::to_string(i) + ":80/");
    }
}

namespace {

// A client whose trust decision refuses every URL.
class DistrustfulClient : public WinInetHTTPSocketIO {
protected:
    bool TrustURL(const std::string&) override { return false; }
};

} // namespace

TEST_F(HttpTrust, AnUntrustedUrlIsNeverContacted) {
    TestServer server({"--log", path("log")});
    DistrustfulClient client;
    ASSERT_EQ(client.Create(""), 1);
    std::string diagnostic;
    client.setDiagnosticSink([&](const std::string& text) { diagnostic = text; });
    auto fetched = get(client, server.url("/small"));
    EXPECT_EQ(fetched.result, Result::Failed);
    EXPECT_EQ(fetched.reason, "La URL no es de confianza");
    EXPECT_EQ(diagnostic, "HTTPRequest(): Connect(): Error: La URL no es de confianza");
    EXPECT_TRUE(client.trustedURLs().empty());
    EXPECT_EQ(readFile("log"), "");

    // The fixture's client trusts it and contacts it.
    EXPECT_EQ(get(server.url("/small")).result, Result::Succeeded);
    EXPECT_EQ(
        client_.trustedURLs(),
        (std::vector<std::string>{"http://127.0.0.1:" + std::to_string(server.port()) + "/"}));
}

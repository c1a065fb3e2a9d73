#include <gtest/gtest.h>

#include <cstdlib>

#include "HttpFixture.h"
#include "platform/http/InternetErrors.h"

using namespace platform::http;
using Result = HTTPRequest::Result;

namespace {

// An HTTPS server whose certificate (self-signed, for 127.0.0.1 only) openssl makes per test.
class HttpTls : public HttpTest {
protected:
    void SetUp() override {
        HttpTest::SetUp();
        std::string command = "openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1"
                              " -nodes -days 2 -subj /CN=127.0.0.1"
                              " -addext subjectAltName=IP:127.0.0.1 -keyout '" +
                              path("key.pem") + "' -out '" + path("cert.pem") + "' 2>/dev/null";
        ASSERT_EQ(std::system(command.c_str()), 0) << "openssl could not make a certificate";
        server_ = std::make_unique<TestServer>(std::vector<std::string>{
            "--tls", path("cert.pem"), path("key.pem"), "--log", path("log")});
    }
    void TearDown() override {
        server_.reset();
        HttpTest::TearDown();
    }

    std::unique_ptr<TestServer> server_;
};

} // namespace

TEST_F(HttpTls, ASelfSignedServerFailsVerificationAgainstTheSystemRoots) {
    auto fetched = get(server_->url("/small", true));
    EXPECT_EQ(fetched.result, Result::Failed);
    EXPECT_EQ(fetched.body, "");
    EXPECT_EQ(fetched.lastError, errors::ERROR_INTERNET_INVALID_CA);
    EXPECT_NE(fetched.reason.find("certificate"), std::string::npos) << fetched.reason;
    EXPECT_EQ(readFile("log"), ""); // no request went out
}

TEST_F(HttpTls, ATrustedRootCarriesTheExchange) {
    HttpSettings settings = client_.settings();
    settings.caFile = path("cert.pem");
    client_.setSettings(settings);
    auto fetched = get(server_->url("/small", true));
    EXPECT_EQ(fetched.result, Result::Succeeded) << fetched.reason;
    EXPECT_EQ(fetched.body, "hello, quillion");
    EXPECT_EQ(client_.trustedURLs().back(),
              "https://127.0.0.1:" + std::to_string(server_->port()) + "/");
}

TEST_F(HttpTls, TheHostNameIsVerifiedToo) {
    HttpSettings settings = client_.settings();
    settings.caFile = path("cert.pem");
    client_.setSettings(settings);
    // "localhost" reaches the same server, but the certificate names only 127.0.0.1.
    auto fetched = get("https://localhost:" + std::to_string(server_->port()) + "/small");
    EXPECT_EQ(fetched.result, Result::Failed);
    EXPECT_EQ(fetched.lastError, errors::ERROR_INTERNET_INVALID_CA);
    EXPECT_NE(fetched.reason.find("localhost"), std::string::npos) << fetched.reason;
}

TEST_F(HttpTls, AnHttpsProxyTunnelAsksForProxyCredentials) {
    TestServer proxy({"--proxy", "--proxy-auth", "pedro:pr0xy", "--log", path("proxy.log")});
    setEnv("https_proxy", "http://127.0.0.1:" + std::to_string(proxy.port()));
    HttpSettings settings = client_.settings();
    settings.caFile = path("cert.pem");
    client_.setSettings(settings);
    answers("credentials=pedro:pr0xy\n");
    auto fetched = get(server_->url("/small", true));
    EXPECT_EQ(fetched.result, Result::Succeeded) << fetched.reason;
    EXPECT_EQ(fetched.body, "hello, quillion");
    const std::string target = "127.0.0.1:" + std::to_string(server_->port());
    EXPECT_EQ(readFile("proxy.log"),
              "CONNECT " + target + " auth=no proxy-auth=no ua=Ondrel - HTTP Agent\n" + "CONNECT " +
                  target + " auth=no proxy-auth=yes ua=Ondrel - HTTP Agent\n");
    EXPECT_EQ(readFile("log"), "GET /small auth=no proxy-auth=no ua=Ondrel - HTTP Agent\n");

    // Without an answer the tunnel stays closed.
    auto refused = get(server_->url("/small", true));
    EXPECT_EQ(refused.result, Result::Failed);
    EXPECT_EQ(refused.reason.rfind("HTTP status 407", 0), 0u) << refused.reason;
}

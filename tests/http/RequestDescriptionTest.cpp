#include <gtest/gtest.h>

#include "platform/http/RequestDescription.h"

using platform::http::RequestDescription;

namespace {

std::string refusal(const std::string& url, const std::string& method = "GET") {
    std::string error;
    auto d = RequestDescription::parse(method, url, error);
    EXPECT_FALSE(d) << url;
    return error;
}

RequestDescription accepted(const std::string& url, const std::string& method = "GET") {
    std::string error;
    auto d = RequestDescription::parse(method, url, error);
    EXPECT_TRUE(d) << url << ": " << error;
    return d.value_or(RequestDescription{});
}

} // namespace

TEST(RequestDescription, SchemeMustBeHttpOrHttps) {
    EXPECT_EQ(refusal("ftp://example.org/file"), "el metodo deber ser http o https");
    EXPECT_EQ(refusal("file:///etc/passwd"), "el metodo deber ser http o https");
    EXPECT_EQ(refusal("httpx://example.org/"), "el metodo deber ser http o https");
    EXPECT_EQ(refusal("example.org"), "el metodo deber ser http o https");
}

TEST(RequestDescription, TwoSlashesMustFollowTheScheme) {
    EXPECT_EQ(refusal("http:example.org/a"), "mal formato en URL");
    EXPECT_EQ(refusal("https:/example.org/a"), "mal formato en URL");
    EXPECT_EQ(refusal("http:"), "mal formato en URL");
}

TEST(RequestDescription, HostOnlyMeansRootPathOnTheSchemePort) {
    auto d = accepted("http://example.org");
    EXPECT_EQ(d.host, "example.org");
    EXPECT_EQ(d.port, 80);
    EXPECT_EQ(d.path, "/");
    EXPECT_FALSE(d.secure);
    EXPECT_EQ(d.baseURL(), "http://example.org:80/");
    EXPECT_EQ(d.url(), "http://example.org:80/");

    auto s = accepted("https://example.org");
    EXPECT_EQ(s.port, 443);
    EXPECT_TRUE(s.secure);
    EXPECT_EQ(s.baseURL(), "https://example.org:443/");
}

TEST(RequestDescription, ExplicitPortAndPath) {
    auto d = accepted("https://h:8443/a/b");
    EXPECT_EQ(d.host, "h");
    EXPECT_EQ(d.port, 8443);
    EXPECT_EQ(d.path, "/a/b");
    EXPECT_TRUE(d.secure);
    EXPECT_EQ(d.url(), "https://h:8443/a/b");

    auto q = accepted("http://h:1/x?y=1&z=2");
    EXPECT_EQ(q.port, 1);
    EXPECT_EQ(q.path, "/x?y=1&z=2");
    EXPECT_EQ(accepted("http://h:65535/").port, 65535);
    EXPECT_EQ(accepted("http://[::1]:8080/p").host, "[::1]");
    EXPECT_EQ(accepted("http://[::1]:8080/p").port, 8080);
    EXPECT_EQ(accepted("http://[::1]/p").port, 80);
}

TEST(RequestDescription, BadPortsAreRefused) {
    for (const char* url :
         {"http://h:/a", "http://h:0/a", "http://h:65536/a", "http://h:4294967376/a",
          "http://h:99999999999999999999999/a", "http://h:-1/a", "http://h:+80/a", "http://h:8a/a",
          "http://h:80:81/a", "http://[::1]x/a", "http://[::1/a"}) {
        EXPECT_EQ(refusal(url), "mal formato en URL") << url;
    }
}

TEST(RequestDescription, MalformedHostsAreRefused) {
    EXPECT_EQ(refusal("http:///a"), "mal formato en URL");
    EXPECT_EQ(refusal("http://:80/a"), "mal formato en URL");
    EXPECT_EQ(refusal("http://user:pw@h/a"), "mal formato en URL");
    EXPECT_EQ(refusal("http://h/a b"), "mal formato en URL");
    EXPECT_EQ(refusal("http://h/a\r\nX-Injected: 1"), "mal formato en URL");
    EXPECT_EQ(refusal("http://" + std::string(256, 'a') + "/"), "mal formato en URL");
    EXPECT_EQ(accepted("http://" + std::string(255, 'a') + "/").host.size(), 255u);
}

TEST(RequestDescription, OnlyGetAndPost) {
    EXPECT_EQ(accepted("http://h/", "POST").method, "POST");
    EXPECT_EQ(refusal("http://h/", "PUT"), RequestDescription::kBadMethod);
    EXPECT_EQ(refusal("http://h/", "get"), RequestDescription::kBadMethod);
}

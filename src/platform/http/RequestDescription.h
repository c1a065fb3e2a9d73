#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace platform::http {

// What Connect makes of a method and a URL: "http:" (port 80) or "https:" (port 443,
// secure), then "//", then the host up to the first "/", an optional ":port" in decimal after
// it, and the path: the rest from that "/" on, or "/" when there is none. A bracketed IPv6
// literal ("[::1]") keeps its colons. Only GET and POST are accepted.
struct RequestDescription {
    static constexpr const char* kBadScheme = "el metodo deber ser http o https";
    static constexpr const char* kBadFormat = "mal formato en URL";
    static constexpr const char* kBadMethod = "unsupported HTTP method (GET or POST only)";
    // Longest host name accepted (a DNS name has at most 253 characters).
    static constexpr size_t kMaxHostLength = 255;

    std::string host; // as written in the URL (an IPv6 literal keeps its brackets)
    uint16_t port = 0;
    bool secure = false;
    std::string method;
    std::string path;

    // The description, or nullopt with the reason in error: kBadScheme, kBadFormat (no "//",
    // an empty, over-long or malformed host, a port that is not a decimal number from 1 to
    // 65535, control characters or blanks in the URL) or kBadMethod.
    static std::optional<RequestDescription> parse(const std::string& method,
                                                   const std::string& url, std::string& error);

    // "http://host:port/" or "https://host:port/": the base URL the trust check is asked about.
    std::string baseURL() const;
    // The full URL of the request: the base URL without its last "/", then the path.
    std::string url() const;
};

} // namespace platform::http

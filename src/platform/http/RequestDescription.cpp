#include "platform/http/RequestDescription.h"

#include <charconv>

namespace platform::http {

namespace {

bool hasControlOrBlank(const std::string& text) {
    for (unsigned char c : text) {
        if (c <= 0x20 || c == 0x7F) {
            return true;
        }
    }
    return false;
}

// A host name or IPv4 address: letters, digits, '-', '.', '_' (no user information, no
// percent-encoding).
bool isPlainHost(const std::string& host) {
    for (unsigned char c : host) {
        bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                  c == '-' || c == '.' || c == '_';
        if (!ok) {
            return false;
        }
    }
    return true;
}

bool isIpv6Literal(const std::string& inner) {
    if (inner.empty()) {
        return false;
    }
    for (unsigned char c : inner) {
        bool ok = (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F') || (c >= '0' && c <= '9') ||
                  c == ':' || c == '.';
        if (!ok) {
            return false;
        }
    }
    return true;
}

// Decimal digits only, 1 to 65535, no sign, no blanks.
std::optional<uint16_t> parsePort(const std::string& text) {
    if (text.empty()) {
        return std::nullopt;
    }
    unsigned value = 0;
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, value, 10);
    if (ec != std::errc() || ptr != end || value == 0 || value > 65535) {
        return std::nullopt;
    }
    return static_cast<uint16_t>(value);
}

} // namespace

std::optional<RequestDescription>
RequestDescription::parse(const std::string& method, const std::string& url, std::string& error) {
    RequestDescription d;
    size_t rest = 0;
    if (url.compare(0, 5, "http:") == 0) {
        d.port = 80;
        rest = 5;
    } else if (url.compare(0, 6, "https:") == 0) {
        d.port = 443;
        d.secure = true;
        rest = 6;
    } else {
        error = kBadScheme;
        return std::nullopt;
    }
    if (url.compare(rest, 2, "//") != 0 || hasControlOrBlank(url)) {
        error = kBadFormat;
        return std::nullopt;
    }
    rest += 2;

    size_t slash = url.find('/', rest);
    std::string authority =
        url.substr(rest, slash == std::string::npos ? std::string::npos : slash - rest);
    d.path = slash == std::string::npos ? "/" : url.substr(slash);

    std::string portText;
    bool hasPort = false;
    if (!authority.empty() && authority[0] == '[') {
        size_t close = authority.find(']');
        if (close == std::string::npos || !isIpv6Literal(authority.substr(1, close - 1))) {
            error = kBadFormat;
            return std::nullopt;
        }
        d.host = authority.substr(0, close + 1);
        if (close + 1 < authority.size()) {
            if (authority[close + 1] != ':') {
                error = kBadFormat;
                return std::nullopt;
            }
            hasPort = true;
            portText = authority.substr(close + 2);
        }
    } else {
        size_t colon = authority.find(':');
        d.host = authority.substr(0, colon);
        if (colon != std::string::npos) {
            hasPort = true;
            portText = authority.substr(colon + 1);
        }
        if (!isPlainHost(d.host)) {
            error = kBadFormat;
            return std::nullopt;
        }
    }
    if (d.host.empty() || d.host.size() > kMaxHostLength) {
        error = kBadFormat;
        return std::nullopt;
    }
    if (hasPort) {
        auto port = parsePort(portText);
        if (!port) {
            error = kBadFormat;
            return std::nullopt;
        }
        d.port = *port;
    }
    if (method != "GET" && method != "POST") {
        error = kBadMethod;
        return std::nullopt;
    }
    d.method = method;
    return d;
}

std::string RequestDescription::baseURL() const {
    return std::string(secure ? "https://" : "http://") + host + ":" + std::to_string(port) + "/";
}

std::string RequestDescription::url() const {
    std::string base = baseURL();
    base.pop_back();
    return base + path;
}

} // namespace platform::http

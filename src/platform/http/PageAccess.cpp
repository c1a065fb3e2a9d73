#include "platform/http/PageAccess.h"

#include <charconv>
#include <cstdlib>

#include "stream/Log.h"
#include "stream/LogLevel.h"
#include "stream/exceptions/StreamException.h"

namespace platform::http {

namespace {

// The parts of an http(s) URL that make its origin, normalised: lowercase scheme and host,
// the port as a number (the scheme's default when none is written).
struct Origin {
    std::string scheme;
    std::string host;
    unsigned port = 0;

    bool operator==(const Origin&) const = default;
};

char lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool nameCharacter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.';
}

bool ipv6Character(char c) {
    return (c >= 'a' && c <= 'f') || (c >= '0' && c <= '9') || c == ':' || c == '.';
}

// Digits only, 1..65535.
std::optional<unsigned> portNumber(std::string_view text) {
    if (text.empty() || text.size() > 5) {
        return std::nullopt;
    }
    unsigned value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || value == 0 || value > 65535) {
        return std::nullopt;
    }
    return value;
}

// The origin of an absolute http(s) URL, or nullopt for anything else or anything unusual in
// its authority (user information, escapes, characters a host name cannot have): those are
// refused rather than second-guessed.
std::optional<Origin> originOf(std::string_view url) {
    std::size_t colon = url.find(':');
    if (colon == std::string_view::npos) {
        return std::nullopt;
    }
    Origin origin;
    for (char c : url.substr(0, colon)) {
        origin.scheme.push_back(lower(c));
    }
    if (origin.scheme == "http") {
        origin.port = 80;
    } else if (origin.scheme == "https") {
        origin.port = 443;
    } else {
        return std::nullopt;
    }
    std::string_view rest = url.substr(colon + 1);
    if (!rest.starts_with("//")) {
        return std::nullopt;
    }
    rest.remove_prefix(2);
    std::string_view authority = rest.substr(0, rest.find_first_of("/?#"));
    std::string_view portText;
    bool hasPort = false;
    if (authority.starts_with("[")) {
        std::size_t close = authority.find(']');
        if (close == std::string_view::npos) {
            return std::nullopt;
        }
        for (char c : authority.substr(0, close + 1)) {
            origin.host.push_back(lower(c));
        }
        std::string_view inside = std::string_view(origin.host).substr(1, origin.host.size() - 2);
        if (inside.empty() || inside.find(':') == std::string_view::npos) {
            return std::nullopt;
        }
        for (char c : inside) {
            if (!ipv6Character(c)) {
                return std::nullopt;
            }
        }
        std::string_view after = authority.substr(close + 1);
        if (!after.empty()) {
            if (after.front() != ':') {
                return std::nullopt;
            }
            hasPort = true;
            portText = after.substr(1);
        }
    } else {
        std::size_t portColon = authority.find(':');
        for (char c : authority.substr(0, portColon)) {
            origin.host.push_back(lower(c));
        }
        if (portColon != std::string_view::npos) {
            hasPort = true;
            portText = authority.substr(portColon + 1);
        }
        if (origin.host.empty()) {
            return std::nullopt;
        }
        for (char c : origin.host) {
            if (!nameCharacter(c)) {
                return std::nullopt;
            }
        }
    }
    if (hasPort) {
        std::optional<unsigned> port = portNumber(portText);
        if (!port) {
            return std::nullopt;
        }
        origin.port = *port;
    }
    return origin;
}

bool sameDocument(std::string_view location) {
    return location.empty() || location.starts_with("#");
}

} // namespace

std::optional<std::string> PageAccess::pageOrigin() {
    const char* origin = std::getenv("QUILLION_BRIDGE_ORIGIN");
    if (origin == nullptr || origin[0] == '\0') {
        return std::nullopt;
    }
    return std::string(origin);
}

bool PageAccess::allows(std::string_view origin, std::string_view location) {
    if (sameDocument(location)) {
        return true;
    }
    std::optional<Origin> page = originOf(origin);
    std::optional<Origin> target = originOf(location);
    return page && target && *page == *target;
}

std::string PageAccess::refusal(std::string_view origin, std::string_view location) {
    return "Acceso denegado: la página " + std::string(origin) + " no puede hacer leer \"" +
           std::string(location) +
           "\" (solo referencias al mismo documento y direcciones de su propio origen)";
}

void PageAccess::require(std::string_view location) {
    std::optional<std::string> origin = pageOrigin();
    if (!origin || allows(*origin, location)) {
        return;
    }
    std::string message = refusal(*origin, location);
    stream::Log::instance().log(stream::LOG_INFO, message);
    throw stream::exceptions::StreamException(message, kAccessDenied);
}

} // namespace platform::http

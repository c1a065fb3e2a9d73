#include "bridge/OriginPolicy.h"

#include "bridge/BridgeError.h"

#include <charconv>
#include <cstdio>
#include <exception>

namespace bridge {

namespace {

bool hostCharacter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.';
}

// "host[:port]" with a lowercase host name and a port 1..65535.
bool hostAndPort(std::string_view rest, std::string_view* host) {
    std::size_t colon = rest.find(':');
    std::string_view name = rest.substr(0, colon);
    if (name.empty() || name.front() == '.' || name.front() == '-' || name.back() == '.') {
        return false;
    }
    for (char c : name) {
        if (!hostCharacter(c)) {
            return false;
        }
    }
    if (colon != std::string_view::npos) {
        std::string_view port = rest.substr(colon + 1);
        unsigned value = 0;
        auto [end, ec] = std::from_chars(port.data(), port.data() + port.size(), value);
        if (port.empty() || ec != std::errc() || end != port.data() + port.size() || value == 0 ||
            value > 65535 || port.front() == '0') {
            return false;
        }
    }
    *host = name;
    return true;
}

} // namespace

OriginPolicy::OriginPolicy(RememberedOrigins& remembered, Ask ask)
    : remembered_(remembered), ask_(std::move(ask)) {}

bool OriginPolicy::acceptable(const std::string& origin) {
    std::string_view text = origin;
    std::string_view host;
    if (text.starts_with("https://")) {
        return hostAndPort(text.substr(8), &host);
    }
    if (text.starts_with("http://")) {
        return hostAndPort(text.substr(7), &host) && (host == "localhost" || host == "127.0.0.1");
    }
    return false;
}

std::string OriginPolicy::question(const std::string& origin) {
    return "La página " + origin +
           " quiere usar el componente de firma Quillion2 (sus certificados y su firma "
           "electrónica). ¿Lo permite?";
}

void OriginPolicy::admit(const std::string& origin) {
    if (!origin_) {
        origin_ = origin;
    } else if (*origin_ != origin) {
        throw BridgeError(kRefused, "Acceso denegado: esta conexión atiende al origen " + *origin_ +
                                        ", no a " + origin);
    }
    if (!acceptable(origin)) {
        throw BridgeError(kRefused, "Acceso denegado: el origen " + origin +
                                        " no está permitido (solo https:// y http://localhost)");
    }
    if (!allowed_) {
        if (remembered_.contains(origin)) {
            allowed_ = true;
        } else {
            allowed_ = ask_ && ask_(question(origin));
            if (*allowed_) {
                try {
                    remembered_.remember(origin);
                } catch (const std::exception& e) {
                    // Served now; asked again next time.
                    std::fprintf(stderr, "qnbridge: %s\n", e.what());
                }
            }
        }
    }
    if (!*allowed_) {
        throw BridgeError(kRefused,
                          "Acceso denegado: el usuario no ha permitido el origen " + origin);
    }
}

} // namespace bridge

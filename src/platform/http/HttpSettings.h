#pragma once

#include <chrono>
#include <cstddef>
#include <string>

namespace platform::http {

// Time to establish a connection (name resolution, TCP and TLS handshakes included).
inline constexpr std::chrono::seconds kDefaultConnectTimeout{30};
// A transfer during which no byte moves for this long is abandoned.
inline constexpr std::chrono::seconds kDefaultStallTimeout{60};
// The largest response body a fetch accepts; a server announcing or sending more fails it.
inline constexpr size_t kMaxBodySize = size_t{1} << 30;

// The limits and trust settings of a client's exchanges. Time-outs below one second count as
// one second: an exchange always has both limits.
struct HttpSettings {
    std::chrono::seconds connectTimeout = kDefaultConnectTimeout;
    std::chrono::seconds stallTimeout = kDefaultStallTimeout;
    size_t maxBodySize = kMaxBodySize;
    // A PEM file of trusted roots used instead of the system's; empty = the system roots.
    // Peer and host name verification stay on either way.
    std::string caFile;
    // Whether redirections are followed (http and https only, a bounded number of them).
    bool followRedirects = true;
};

} // namespace platform::http

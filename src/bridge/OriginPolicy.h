#pragma once

// Which page a connection serves. The origin of every request comes from the browser (the
// extension's service worker fills it in); the first one binds the connection, and a request
// naming another origin is refused. Only https:// origins and http:// on localhost or
// 127.0.0.1 qualify. A new origin is put to the user once per connection; an allowed one is
// remembered, a refused one refuses every request of the connection.

#include "bridge/RememberedOrigins.h"

#include <functional>
#include <optional>
#include <string>

namespace bridge {

class OriginPolicy {
public:
    // `ask` puts a yes/no question to the user.
    using Ask = std::function<bool(const std::string& question)>;
    OriginPolicy(RememberedOrigins& remembered, Ask ask);

    // Whether an origin can be served at all (scheme and host).
    static bool acceptable(const std::string& origin);
    // The question put to the user for `origin`.
    static std::string question(const std::string& origin);

    // Raises BridgeError (kRefused) when the request may not go ahead.
    void admit(const std::string& origin);
    // The origin the connection serves, once bound.
    const std::optional<std::string>& origin() const { return origin_; }

private:
    RememberedOrigins& remembered_;
    Ask ask_;
    std::optional<std::string> origin_;
    std::optional<bool> allowed_;
};

} // namespace bridge

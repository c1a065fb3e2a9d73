#pragma once

// One connection: the page's requests carried out on the component's objects, each answered
// with the reply's JSON text. Every request passes the origin policy first; classes that are
// not safe for scripting and members that take file-system paths are refused.

#include "bridge/ObjectTable.h"
#include "bridge/OriginPolicy.h"
#include "bridge/Request.h"

#include <nlohmann/json.hpp>

#include <functional>
#include <string>

namespace bridge {

class Session {
public:
    // `admitted` runs once, after the first request whose origin is allowed and before any
    // object is created (qnbridge loads the module there).
    Session(OriginPolicy& policy, std::function<void(const std::string& origin)> admitted);

    // The reply to one message (never raises).
    std::string handle(std::string_view message, std::int64_t& id);

    static std::string errorReply(std::int64_t id, HRESULT number, const std::string& description);
    static std::string resultReply(std::int64_t id, const nlohmann::json& result);

private:
    nlohmann::json run(const Request& request);
    nlohmann::json create(const std::string& progid);
    nlohmann::json invoke(const Request& request);

    OriginPolicy& policy_;
    std::function<void(const std::string&)> admitted_;
    bool admittedOnce_ = false;
    ObjectTable objects_;
};

} // namespace bridge

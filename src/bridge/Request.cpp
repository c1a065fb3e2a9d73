#include "bridge/Request.h"

#include "bridge/BridgeError.h"

namespace bridge {

namespace {

// Nesting deeper than this is refused before anything walks the value.
constexpr int kMaxDepth = 64;

[[noreturn]] void malformed(const std::string& what) {
    throw BridgeError(kMalformed, "Mensaje mal formado: " + what);
}

std::int64_t positiveInteger(const nlohmann::json& message, const char* key) {
    auto it = message.find(key);
    if (it == message.end()) {
        malformed(std::string("falta \"") + key + "\"");
    }
    if (it->is_number_unsigned()) {
        auto v = it->get<std::uint64_t>();
        if (v > 0 && v <= static_cast<std::uint64_t>(INT64_MAX)) {
            return static_cast<std::int64_t>(v);
        }
    } else if (it->is_number_integer()) {
        auto v = it->get<std::int64_t>();
        if (v > 0) {
            return v;
        }
    }
    malformed(std::string("\"") + key + "\" debe ser un entero positivo");
}

std::string text(const nlohmann::json& message, const char* key) {
    auto it = message.find(key);
    if (it == message.end()) {
        malformed(std::string("falta \"") + key + "\"");
    }
    if (!it->is_string()) {
        malformed(std::string("\"") + key + "\" debe ser un texto");
    }
    return it->get<std::string>();
}

Operation operation(const std::string& op) {
    if (op == "create") {
        return Operation::Create;
    }
    if (op == "call") {
        return Operation::Call;
    }
    if (op == "get") {
        return Operation::Get;
    }
    if (op == "put") {
        return Operation::Put;
    }
    if (op == "release") {
        return Operation::Release;
    }
    malformed("operación desconocida \"" + op + "\"");
}

} // namespace

Request Request::decode(std::string_view message, std::int64_t& id) {
    id = 0;
    bool tooDeep = false;
    nlohmann::json parsed = nlohmann::json::parse(
        message.begin(), message.end(),
        [&tooDeep](int depth, nlohmann::json::parse_event_t, nlohmann::json&) {
            if (depth > kMaxDepth) {
                tooDeep = true;
                return false;
            }
            return true;
        },
        false);
    if (tooDeep) {
        malformed("anidamiento excesivo");
    }
    if (parsed.is_discarded()) {
        malformed("JSON no válido");
    }
    if (!parsed.is_object()) {
        malformed("se esperaba un objeto");
    }
    Request request;
    request.id = positiveInteger(parsed, "id");
    id = request.id;
    request.origin = text(parsed, "origin");
    request.op = operation(text(parsed, "op"));
    switch (request.op) {
    case Operation::Create:
        request.progid = text(parsed, "progid");
        break;
    case Operation::Call:
    case Operation::Get:
        request.handle = positiveInteger(parsed, "handle");
        request.name = text(parsed, "name");
        if (auto it = parsed.find("args"); it != parsed.end()) {
            if (!it->is_array()) {
                malformed("\"args\" debe ser una lista");
            }
            request.args = std::move(*it);
        }
        break;
    case Operation::Put: {
        request.handle = positiveInteger(parsed, "handle");
        request.name = text(parsed, "name");
        auto it = parsed.find("value");
        if (it == parsed.end()) {
            malformed("falta \"value\"");
        }
        request.value = std::move(*it);
        break;
    }
    case Operation::Release:
        request.handle = positiveInteger(parsed, "handle");
        break;
    }
    return request;
}

} // namespace bridge

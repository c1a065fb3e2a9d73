#pragma once

// One request of the page, as read from a message:
//   {"id": 7, "origin": "https://example.org", "op": "create", "progid": "..."}
//   {"id": 8, "origin": "...", "op": "call", "handle": 1, "name": "...", "args": [...]}
//   {"id": 9, "origin": "...", "op": "get", "handle": 1, "name": "...", "args": [...]}
//   {"id": 10, "origin": "...", "op": "put", "handle": 1, "name": "...", "value": v}
//   {"id": 11, "origin": "...", "op": "release", "handle": 1}

#include <nlohmann/json.hpp>

#include <cstdint>
#include <string>
#include <string_view>

namespace bridge {

enum class Operation { Create, Call, Get, Put, Release };

struct Request {
    std::int64_t id = 0;
    std::string origin;
    Operation op = Operation::Create;
    std::string progid;                            // create
    std::int64_t handle = 0;                       // call, get, put, release
    std::string name;                              // call, get, put
    nlohmann::json args = nlohmann::json::array(); // call, get
    nlohmann::json value;                          // put

    // Reads a message. Raises BridgeError (kMalformed) naming what is wrong; `id` is set as
    // soon as the message's id can be read, so the error can answer it (0 otherwise).
    static Request decode(std::string_view text, std::int64_t& id);
};

} // namespace bridge

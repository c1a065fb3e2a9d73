#include "bridge/ObjectTable.h"

#include "bridge/BridgeError.h"

#include <string>

namespace bridge {

namespace {

[[noreturn]] void unknownHandle(std::int64_t handle) {
    throw BridgeError(kBadHandle,
                      "El objeto " + std::to_string(handle) + " no existe o ya fue liberado");
}

} // namespace

std::int64_t ObjectTable::add(IDispatch* object) {
    std::int64_t handle = next_++;
    objects_.emplace(handle, std::make_unique<com::MemberLookup>(object));
    return handle;
}

com::MemberLookup& ObjectTable::find(std::int64_t handle) {
    auto it = objects_.find(handle);
    if (it == objects_.end()) {
        unknownHandle(handle);
    }
    return *it->second;
}

void ObjectTable::release(std::int64_t handle) {
    auto it = objects_.find(handle);
    if (it == objects_.end()) {
        unknownHandle(handle);
    }
    objects_.erase(it);
}

} // namespace bridge

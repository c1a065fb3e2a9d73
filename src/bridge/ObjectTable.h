#pragma once

// The objects of one connection: each holds a reference to an IDispatch object under a
// handle (1, 2, ...; never reused) until the page releases it. Every object handed to the
// page gets a handle of its own, so releasing one never invalidates another.

#include "com/ComPtr.h"
#include "com/IDispatch.h"
#include "com/MemberLookup.h"

#include <cstdint>
#include <map>
#include <memory>

namespace bridge {

class ObjectTable {
public:
    // A new handle holding a new reference to `object`.
    std::int64_t add(IDispatch* object);
    // The object and its member lookup; raises BridgeError (kBadHandle) for an unknown or
    // released handle.
    com::MemberLookup& find(std::int64_t handle);
    // Drops the table's reference; raises BridgeError (kBadHandle) for an unknown handle.
    void release(std::int64_t handle);
    std::size_t size() const { return objects_.size(); }

private:
    std::int64_t next_ = 1;
    std::map<std::int64_t, std::unique_ptr<com::MemberLookup>> objects_;
};

} // namespace bridge

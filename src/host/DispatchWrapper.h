#pragma once

// IDispatch objects seen from a script: a Proxy whose get / set / has traps resolve names
// through GetIDsOfNames and call Invoke. The type information of the object (this runtime's
// ITypeInfo) tells a property from a method and a binary-string parameter from a text one.

#include "com/Com.h"
#include "com/MemberLookup.h"

#include <duktape.h>

#include <atomic>
#include <optional>
#include <string>

namespace host {

class DispatchHandle {
public:
    using Member = com::ResolvedMember;

    explicit DispatchHandle(IDispatch* dispatch);
    void addRef() { refs_.fetch_add(1); }
    void release();
    IDispatch* dispatch() const { return members_.dispatch(); }
    // The member named `name` (case-insensitive), or nullopt when the object has none.
    std::optional<Member> lookup(const std::u16string& name) { return members_.lookup(name); }

private:
    ~DispatchHandle() = default;
    std::atomic<int> refs_{1};
    com::MemberLookup members_;
};

// Installs the proxy handler (once per heap).
void registerDispatchSupport(duk_context* ctx);
// Pushes a wrapper for `dispatch` (null pushes null).
void pushDispatch(duk_context* ctx, IDispatch* dispatch);
// The object wrapped by the value at `idx`, or null when it is not a wrapper (borrowed).
IDispatch* wrappedDispatch(duk_context* ctx, duk_idx_t idx);

} // namespace host

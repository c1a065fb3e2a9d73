#pragma once

// Resolving a member of an IDispatch object by name, as a late-bound caller does: the
// dispatch id from GetIDsOfNames (case-insensitive), and from the object's type information
// (this runtime's ITypeInfo) the method, property get and property put with that id, which
// tell a property from a method and a binary-string parameter from a text one.

#include "com/ComPtr.h"
#include "com/IDispatch.h"
#include "com/TypeTable.h"

#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace com {

struct ResolvedMember {
    DISPID dispid = DISPID_UNKNOWN;
    const DispatchMember* method = nullptr;
    const DispatchMember* get = nullptr;
    const DispatchMember* put = nullptr;
    bool typed = false; // false: the object gave no type information

    // The signature a call with these DISPATCH_* flags goes through (null when untyped).
    const DispatchMember* signatureFor(WORD flags) const;
};

// Whether two member names are the same as GetIDsOfNames matches them (ASCII letters in
// either case).
bool sameMemberName(std::string_view a, std::string_view b);
// Whether parameter `index` of `member` carries a binary string.
bool isBinaryParam(const DispatchMember* member, UINT index);
// Whether the [out, retval] value of `member` is a binary string.
bool hasBinaryResult(const DispatchMember* member);

class MemberLookup {
public:
    // Keeps a reference to `dispatch` and reads its type information once.
    explicit MemberLookup(IDispatch* dispatch);

    IDispatch* dispatch() const { return dispatch_.get(); }
    // The member named `name`, or nullopt when the object has none. Answers are cached.
    std::optional<ResolvedMember> lookup(const std::u16string& name);

private:
    ComPtr<IDispatch> dispatch_;
    ComPtr<ITypeInfo> typeInfo_;
    std::map<std::u16string, ResolvedMember> cache_;
};

} // namespace com

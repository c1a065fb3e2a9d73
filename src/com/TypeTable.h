#pragma once

// The description of a dispatch interface: its members (name, dispatch id, kind, parameters
// with type, direction, optional and binary-string flags). DispatchImpl.h builds these
// tables at compile time and binds each member to a C++ member function.

#include "com/Guid.h"
#include "com/Variant.h"

// Parameter flags, with the values of the Windows type library; PARAMFLAG_BINARY is this
// runtime's own: the BSTR carries bytes (one byte per byte, SysStringByteLen), not text.
inline constexpr USHORT PARAMFLAG_NONE = 0x00;
inline constexpr USHORT PARAMFLAG_FIN = 0x01;
inline constexpr USHORT PARAMFLAG_FOUT = 0x02;
inline constexpr USHORT PARAMFLAG_FLCID = 0x04;
inline constexpr USHORT PARAMFLAG_FRETVAL = 0x08;
inline constexpr USHORT PARAMFLAG_FOPT = 0x10;
inline constexpr USHORT PARAMFLAG_BINARY = 0x1000;

namespace com {

// The values are those of DISPATCH_METHOD / DISPATCH_PROPERTYGET / DISPATCH_PROPERTYPUT.
enum class MemberKind : WORD { Method = 1, PropertyGet = 2, PropertyPut = 4 };

// The longest member, QPASigner.sign, takes thirteen arguments and gives a result.
inline constexpr UINT kMaxDispatchParams = 14;

struct ParamInfo {
    VARTYPE vt = VT_EMPTY; // VT_VARIANT for a VARIANT; VT_BYREF | x for an [in] pointer
    USHORT flags = PARAMFLAG_FIN;

    constexpr bool isRetval() const { return (flags & PARAMFLAG_FRETVAL) != 0; }
    constexpr bool isOut() const { return (flags & (PARAMFLAG_FOUT | PARAMFLAG_FRETVAL)) != 0; }
    constexpr bool isOptional() const { return (flags & PARAMFLAG_FOPT) != 0; }
    constexpr bool isBinary() const { return (flags & PARAMFLAG_BINARY) != 0; }
};

class DispatchCall;
struct DispatchMember;
// Calls the bound member function of `object` (a pointer to the dispatch interface).
using DispatchInvoker = HRESULT (*)(void* object, const DispatchMember& member, DispatchCall& call);

struct DispatchMember {
    const char* name = nullptr; // ASCII; matched case-insensitively by GetIDsOfNames
    DISPID dispid = 0;
    MemberKind kind = MemberKind::Method;
    UINT paramCount = 0; // every parameter, the [out, retval] one included (it is last)
    ParamInfo params[kMaxDispatchParams] = {};
    DispatchInvoker invoke = nullptr;

    // The [out, retval] parameter, or null.
    constexpr const ParamInfo* retval() const {
        return paramCount > 0 && params[paramCount - 1].isRetval() ? &params[paramCount - 1]
                                                                   : nullptr;
    }
    // Parameters the caller passes (all but the [out, retval] one).
    constexpr UINT argumentCount() const { return retval() ? paramCount - 1 : paramCount; }
    // Arguments that may not be omitted (those before the first optional one).
    constexpr UINT requiredCount() const {
        UINT n = 0;
        while (n < argumentCount() && !params[n].isOptional()) {
            ++n;
        }
        return n;
    }
};

struct DispatchTable {
    IID iid;                   // the dispatch interface
    const char* interfaceName; // "IQNContent"
    const DispatchMember* members;
    UINT count;

    // The member with this dispatch id and kind, or null.
    const DispatchMember* find(DISPID dispid, MemberKind kind) const;
    // Any member with this name (case-insensitive), or null.
    const DispatchMember* findByName(std::u16string_view name) const;
};

} // namespace com

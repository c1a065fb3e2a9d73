#pragma once

// IUnknown, the root of every interface. Each interface struct names its identifier as
// `static constexpr IID iid`, which ComPtr and the object frame use (like __uuidof).

#include "com/Guid.h"

using LPVOID = void*;

struct IUnknown {
    static constexpr IID iid = com::makeGuid("00000000-0000-0000-C000-000000000046");
    virtual HRESULT QueryInterface(REFIID riid, void** ppvObject) = 0;
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;

protected:
    ~IUnknown() = default;
};
using LPUNKNOWN = IUnknown*;

inline constexpr IID IID_IUnknown = IUnknown::iid;

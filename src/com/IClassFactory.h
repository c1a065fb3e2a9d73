#pragma once

// IClassFactory.

#include "com/IUnknown.h"

struct IClassFactory : IUnknown {
    static constexpr IID iid = com::makeGuid("00000001-0000-0000-C000-000000000046");
    virtual HRESULT CreateInstance(IUnknown* pUnkOuter, REFIID riid, void** ppvObject) = 0;
    virtual HRESULT LockServer(BOOL fLock) = 0;

protected:
    ~IClassFactory() = default;
};

inline constexpr IID IID_IClassFactory = IClassFactory::iid;

#pragma once

// IDispatch with DISPPARAMS and EXCEPINFO in the Windows layout.
//
// ITypeInfo here is this runtime's own small interface (not the Windows one): it lists the
// members of a dispatch interface (name, dispatch id, kind, parameters) so that a host can
// tell a property from a method and a binary-string parameter from a text one.

#include "com/BStr.h"
#include "com/IUnknown.h"
#include "com/Variant.h"

inline constexpr DISPID DISPID_UNKNOWN = -1;
inline constexpr DISPID DISPID_VALUE = 0;
inline constexpr DISPID DISPID_PROPERTYPUT = -3;
inline constexpr DISPID DISPID_NEWENUM = -4;

inline constexpr WORD DISPATCH_METHOD = 0x1;
inline constexpr WORD DISPATCH_PROPERTYGET = 0x2;
inline constexpr WORD DISPATCH_PROPERTYPUT = 0x4;
inline constexpr WORD DISPATCH_PROPERTYPUTREF = 0x8;

inline constexpr LCID LOCALE_USER_DEFAULT = 0x0400;
inline constexpr LCID LOCALE_SYSTEM_DEFAULT = 0x0800;

struct DISPPARAMS {
    VARIANTARG* rgvarg;        // arguments in reverse order: rgvarg[cArgs - 1] is the first
    DISPID* rgdispidNamedArgs; // dispatch ids of the named arguments (rgvarg[0..cNamedArgs-1])
    UINT cArgs;                // all arguments, named ones included
    UINT cNamedArgs;
};

struct EXCEPINFO {
    WORD wCode;
    WORD wReserved;
    BSTR bstrSource;
    BSTR bstrDescription;
    BSTR bstrHelpFile;
    DWORD dwHelpContext;
    void* pvReserved;
    HRESULT (*pfnDeferredFillIn)(EXCEPINFO*);
    SCODE scode;
};

namespace com {
struct DispatchMember;
}

struct ITypeInfo : IUnknown {
    static constexpr IID iid = com::makeGuid("5B0A2E71-4C8D-4F2B-9E36-7D1A8C40B2E5");
    // The dispatch interface described.
    virtual HRESULT GetInterfaceId(IID* iid) = 0;
    virtual HRESULT GetMemberCount(UINT* count) = 0;
    // A member of the table; the description stays valid while this type info lives.
    virtual HRESULT GetMember(UINT index, const com::DispatchMember** member) = 0;

protected:
    ~ITypeInfo() = default;
};

struct IDispatch : IUnknown {
    static constexpr IID iid = com::makeGuid("00020400-0000-0000-C000-000000000046");
    virtual HRESULT GetTypeInfoCount(UINT* pctinfo) = 0;
    virtual HRESULT GetTypeInfo(UINT iTInfo, LCID lcid, ITypeInfo** ppTInfo) = 0;
    virtual HRESULT GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID lcid,
                                  DISPID* rgDispId) = 0;
    virtual HRESULT Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags,
                           DISPPARAMS* pDispParams, VARIANT* pVarResult, EXCEPINFO* pExcepInfo,
                           UINT* puArgErr) = 0;

protected:
    ~IDispatch() = default;
};
using LPDISPATCH = IDispatch*;

inline constexpr IID IID_IDispatch = IDispatch::iid;
inline constexpr IID IID_ITypeInfo = ITypeInfo::iid;

namespace com {
// Frees the strings of an EXCEPINFO and zeroes it.
void clearExcepInfo(EXCEPINFO* info);
} // namespace com

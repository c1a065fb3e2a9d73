#pragma once

// Error information of OLE Automation: IErrorInfo / ICreateErrorInfo, ISupportErrorInfo,
// and the per-thread slot of CreateErrorInfo / SetErrorInfo / GetErrorInfo. GetErrorInfo
// hands the object out and clears the slot, as OLE does.

#include "com/BStr.h"
#include "com/IUnknown.h"

#include <string_view>

struct IErrorInfo : IUnknown {
    static constexpr IID iid = com::makeGuid("1CF2B120-547D-101B-8E65-08002B2BD119");
    virtual HRESULT GetGUID(GUID* pGUID) = 0;
    virtual HRESULT GetSource(BSTR* pBstrSource) = 0;
    virtual HRESULT GetDescription(BSTR* pBstrDescription) = 0;
    virtual HRESULT GetHelpFile(BSTR* pBstrHelpFile) = 0;
    virtual HRESULT GetHelpContext(DWORD* pdwHelpContext) = 0;

protected:
    ~IErrorInfo() = default;
};

struct ICreateErrorInfo : IUnknown {
    static constexpr IID iid = com::makeGuid("22F03340-547D-101B-8E65-08002B2BD119");
    virtual HRESULT SetGUID(REFGUID rguid) = 0;
    virtual HRESULT SetSource(LPOLESTR szSource) = 0;
    virtual HRESULT SetDescription(LPOLESTR szDescription) = 0;
    virtual HRESULT SetHelpFile(LPOLESTR szHelpFile) = 0;
    virtual HRESULT SetHelpContext(DWORD dwHelpContext) = 0;

protected:
    ~ICreateErrorInfo() = default;
};

struct ISupportErrorInfo : IUnknown {
    static constexpr IID iid = com::makeGuid("DF0B3D60-548F-101B-8E65-08002B2BD119");
    virtual HRESULT InterfaceSupportsErrorInfo(REFIID riid) = 0;

protected:
    ~ISupportErrorInfo() = default;
};

inline constexpr IID IID_IErrorInfo = IErrorInfo::iid;
inline constexpr IID IID_ICreateErrorInfo = ICreateErrorInfo::iid;
inline constexpr IID IID_ISupportErrorInfo = ISupportErrorInfo::iid;

// A new, empty error-information object (it answers IErrorInfo and ICreateErrorInfo).
HRESULT CreateErrorInfo(ICreateErrorInfo** pperrinfo);
// Replaces the calling thread's error information (null clears it). dwReserved must be 0.
HRESULT SetErrorInfo(ULONG dwReserved, IErrorInfo* perrinfo);
// Hands out the calling thread's error information and clears it: S_FALSE and null when
// there is none.
HRESULT GetErrorInfo(ULONG dwReserved, IErrorInfo** pperrinfo);

namespace com {

// CreateErrorInfo + SetGUID/SetSource/SetDescription + SetErrorInfo in one call.
HRESULT setErrorInfo(REFGUID iid, std::u16string_view source, std::u16string_view description);
HRESULT setErrorInfoUtf8(REFGUID iid, std::string_view source, std::string_view description);

} // namespace com

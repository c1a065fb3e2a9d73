#pragma once

// IObjectSafety: the script-safety interface of every scriptable object.

#include "com/IUnknown.h"

inline constexpr DWORD INTERFACESAFE_FOR_UNTRUSTED_CALLER = 0x00000001;
inline constexpr DWORD INTERFACESAFE_FOR_UNTRUSTED_DATA = 0x00000002;
inline constexpr DWORD INTERFACE_USES_DISPEX = 0x00000004;
inline constexpr DWORD INTERFACE_USES_SECURITY_MANAGER = 0x00000008;

struct IObjectSafety : IUnknown {
    static constexpr IID iid = com::makeGuid("CB5BDC81-93C1-11CF-8F20-00805F2CD064");
    virtual HRESULT GetInterfaceSafetyOptions(REFIID riid, DWORD* pdwSupportedOptions,
                                              DWORD* pdwEnabledOptions) = 0;
    virtual HRESULT SetInterfaceSafetyOptions(REFIID riid, DWORD dwOptionSetMask,
                                              DWORD dwEnabledOptions) = 0;

protected:
    ~IObjectSafety() = default;
};

inline constexpr IID IID_IObjectSafety = IObjectSafety::iid;

// The component categories of script safety.
inline constexpr CATID CATID_SafeForScripting =
    com::makeGuid("7DD95801-9882-11CF-9FA9-00AA006C42C4");
inline constexpr CATID CATID_SafeForInitializing =
    com::makeGuid("7DD95802-9882-11CF-9FA9-00AA006C42C4");

#pragma once

// Registration helpers used by DllRegisterServer / DllUnregisterServer: type libraries
// (like RegisterTypeLib / UnRegisterTypeLib) and implemented component categories (like
// ICatRegister::RegisterClassImplCategories / UnRegisterClassImplCategories).

#include "com/Guid.h"

#include <string>
#include <vector>

namespace com {

struct TypeLibInterface {
    IID iid;
    std::string name; // "IQNContent"
};

struct TypeLibRegistration {
    GUID libid;
    WORD majorVersion = 1;
    WORD minorVersion = 0;
    LCID lcid = 0;
    std::string helpString; // "Quillion2 1.0 Type Library"
    std::string modulePath; // the module's full path
    std::string helpDir;    // the module's directory
    WORD flags = 0;
    std::vector<TypeLibInterface> interfaces; // dual interfaces described by the library
};

// Writes TypeLib\{LIBID}\<major>.<minor> = help string, with subkeys
// "<lcid in hex>\linux64" = module path, "FLAGS" = flags in decimal, "HELPDIR" = help dir,
// and Interface\{IID} = name with "TypeLib" = {LIBID} ("Version" = "<major>.<minor>") and
// "ProxyStubClsid32" = the automation marshaler, for each interface.
HRESULT registerTypeLib(const TypeLibRegistration& typeLib);
// Removes the version key (and TypeLib\{LIBID} when no version is left) and the
// Interface keys that name this library.
HRESULT unRegisterTypeLib(REFGUID libid, WORD majorVersion, WORD minorVersion, LCID lcid);

// CLSID\{CLSID}\Implemented Categories\{CATID} for each category.
HRESULT registerClassImplCategories(REFCLSID clsid, ULONG count, const CATID* catids);
// Removes those keys, and "Implemented Categories" when it is left empty.
HRESULT unRegisterClassImplCategories(REFCLSID clsid, ULONG count, const CATID* catids);
// Component Categories\{CATID} with the description under the locale in hex ("409").
HRESULT registerCategory(REFGUID catid, LCID lcid, const std::string& description);

} // namespace com

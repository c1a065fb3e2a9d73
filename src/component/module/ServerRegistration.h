#pragma once

#include <string>

#include "com/HResult.h"

namespace component::module {

// DllRegisterServer / DllUnregisterServer over the class registry file, for the module at
// modulePath.
//
// Per class, in table order: "<ProgID>" and "<version-independent ProgID>" = description,
// each with "CLSID" = "{CLSID}"; "CLSID\{CLSID}" replaced whole = description, with
// "ProgID", "VersionIndependentProgID" and "InprocServer32" = module path
// ("ThreadingModel" = "both"); every class but PdfSign in the safe-for-scripting and
// safe-for-initialising categories. Then the type library. The "CLSID" key itself is never
// removed.
class ServerRegistration {
public:
    // Stops at the first failure and returns its code; rows before it stay registered.
    static HRESULT registerServer(const std::string& modulePath);
    // Always S_OK.
    static HRESULT unregisterServer();
};

} // namespace component::module

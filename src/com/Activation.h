#pragma once

// Object creation by class identifier and ProgID. Modules loaded in the process register
// their class tables here at load (registration-free activation) and unregister them at
// unload; CLSIDFromProgID / ProgIDFromCLSID / CoGetClassObject / CoCreateInstance look at
// those first, then at the registry file (InprocServer32 is loaded with dlopen and kept
// loaded). Thread-safe.

#include "com/IClassFactory.h"

#include <cstddef>
#include <string>

using DllGetClassObjectFunction = HRESULT (*)(REFCLSID rclsid, REFIID riid, LPVOID* ppv);

inline constexpr DWORD CLSCTX_INPROC_SERVER = 0x1;
inline constexpr DWORD CLSCTX_INPROC_HANDLER = 0x2;
inline constexpr DWORD CLSCTX_LOCAL_SERVER = 0x4;
inline constexpr DWORD CLSCTX_REMOTE_SERVER = 0x10;
inline constexpr DWORD CLSCTX_INPROC = CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER;
inline constexpr DWORD CLSCTX_ALL =
    CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER;
inline constexpr DWORD COINIT_APARTMENTTHREADED = 0x2;
inline constexpr DWORD COINIT_MULTITHREADED = 0x0;

// CO_E_CLASSSTRING when the ProgID is known nowhere.
HRESULT CLSIDFromProgID(LPCOLESTR progId, LPCLSID clsid);
// The versioned ProgID ("Quillion2.QNContent.1"), allocated with CoTaskMemAlloc;
// REGDB_E_CLASSNOTREG when the class is known nowhere.
HRESULT ProgIDFromCLSID(REFCLSID clsid, LPOLESTR* progId);
// REGDB_E_CLASSNOTREG when the class is known nowhere, CO_E_DLLNOTFOUND / CO_E_ERRORINDLL
// when its registered module cannot be loaded or exports no DllGetClassObject.
HRESULT CoGetClassObject(REFCLSID clsid, DWORD clsContext, void* serverInfo, REFIID riid,
                         LPVOID* ppv);
HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD clsContext, REFIID riid,
                         LPVOID* ppv);

// Apartments do not exist here: these only count, and always succeed.
HRESULT CoInitialize(void* reserved);
HRESULT CoInitializeEx(void* reserved, DWORD coInit);
void CoUninitialize();

void* CoTaskMemAlloc(std::size_t size);
void* CoTaskMemRealloc(void* block, std::size_t size);
void CoTaskMemFree(void* block);

namespace com {

struct ClassRegistration {
    CLSID clsid;
    const char* progId;                   // "Quillion2.QNContent.1"
    const char* versionIndependentProgId; // "Quillion2.QNContent"
    bool safeForScripting = false;        // implements the category safe for scripting
};

// Registers a loaded module's classes (the strings are copied). Returns a cookie for
// unregisterModuleClasses (never 0).
DWORD registerModuleClasses(const ClassRegistration* classes, std::size_t count,
                            DllGetClassObjectFunction getClassObject);
void unregisterModuleClasses(DWORD cookie);

// Whether the class implements the component category safe for scripting: as its loaded
// module declared it, else as the registry file records it (false when unknown).
bool classSafeForScripting(REFCLSID clsid);

// Loads a module (dlopen, kept loaded for the life of the process). On failure returns
// false with the loader's message in `error`.
bool loadModule(const std::string& path, std::string* error);

// ProgID -> CLSID and back with UTF-8 text (nullopt-like: false when unknown).
bool clsidFromProgId(const std::string& progId, CLSID* clsid);
bool progIdFromClsid(REFCLSID clsid, std::string* progId);

} // namespace com

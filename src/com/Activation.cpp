#include "com/Activation.h"

#include "com/BStr.h"
#include "com/ComPtr.h"
#include "com/ObjectSafety.h"
#include "com/Registry.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <mutex>
#include <optional>
#include <vector>

namespace {

struct LoadedClass {
    CLSID clsid;
    std::string progId;
    std::string versionIndependentProgId;
    DllGetClassObjectFunction getClassObject;
    DWORD cookie;
    bool safeForScripting;
};

// The classes of the modules loaded in the process.
class ClassTable {
public:
    static ClassTable& instance() {
        static ClassTable* table = new ClassTable(); // outlives every module's unload
        return *table;
    }

    DWORD add(const com::ClassRegistration* classes, std::size_t count,
              DllGetClassObjectFunction getClassObject) {
        std::lock_guard lock(mutex_);
        DWORD cookie = ++lastCookie_;
        for (std::size_t i = 0; i < count; ++i) {
            entries_.push_back(LoadedClass{
                classes[i].clsid, classes[i].progId ? classes[i].progId : "",
                classes[i].versionIndependentProgId ? classes[i].versionIndependentProgId : "",
                getClassObject, cookie, classes[i].safeForScripting});
        }
        return cookie;
    }
    void remove(DWORD cookie) {
        std::lock_guard lock(mutex_);
        std::erase_if(entries_, [cookie](const LoadedClass& e) { return e.cookie == cookie; });
    }
    bool findByProgId(const std::string& progId, CLSID* clsid) {
        std::lock_guard lock(mutex_);
        for (const LoadedClass& e : entries_) {
            if (sameText(e.progId, progId) || sameText(e.versionIndependentProgId, progId)) {
                *clsid = e.clsid;
                return true;
            }
        }
        return false;
    }
    bool findByClsid(REFCLSID clsid, std::string* progId,
                     DllGetClassObjectFunction* getClassObject) {
        std::lock_guard lock(mutex_);
        for (const LoadedClass& e : entries_) {
            if (IsEqualCLSID(e.clsid, clsid)) {
                if (progId) {
                    *progId = e.progId.empty() ? e.versionIndependentProgId : e.progId;
                }
                if (getClassObject) {
                    *getClassObject = e.getClassObject;
                }
                return true;
            }
        }
        return false;
    }

    // nullopt when no loaded module has the class.
    std::optional<bool> safeForScripting(REFCLSID clsid) {
        std::lock_guard lock(mutex_);
        for (const LoadedClass& e : entries_) {
            if (IsEqualCLSID(e.clsid, clsid)) {
                return e.safeForScripting;
            }
        }
        return std::nullopt;
    }

    static bool sameText(const std::string& a, const std::string& b) {
        if (a.size() != b.size()) {
            return false;
        }
        for (std::size_t i = 0; i < a.size(); ++i) {
            char x = a[i] >= 'A' && a[i] <= 'Z' ? static_cast<char>(a[i] + 32) : a[i];
            char y = b[i] >= 'A' && b[i] <= 'Z' ? static_cast<char>(b[i] + 32) : b[i];
            if (x != y) {
                return false;
            }
        }
        return true;
    }

private:
    std::mutex mutex_;
    std::vector<LoadedClass> entries_;
    DWORD lastCookie_ = 0;
};

// Libraries loaded for the registry's InprocServer32 entries; never unloaded.
class LoadedLibraries {
public:
    static LoadedLibraries& instance() {
        static LoadedLibraries* libraries = new LoadedLibraries();
        return *libraries;
    }
    void* load(const std::string& path, std::string* error) {
        std::lock_guard lock(mutex_);
        dlerror();
        void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!handle) {
            const char* message = dlerror();
            if (error) {
                *error = message ? message : "cannot load " + path;
            }
            return nullptr;
        }
        handles_.push_back(handle);
        return handle;
    }

private:
    std::mutex mutex_;
    std::vector<void*> handles_;
};

std::string narrow(LPCOLESTR text) {
    std::u16string wide;
    for (std::size_t i = 0; text[i] != 0; ++i) {
        wide.push_back(text[i]);
    }
    return com::utf16ToUtf8(wide);
}

bool clsidFromRegistry(const std::string& progId, CLSID* clsid) {
    com::RegistryFile registry = com::Registry::snapshot();
    std::string name = progId;
    for (int hop = 0; hop < 4; ++hop) {
        if (auto text = registry.value(name + "\\CLSID")) {
            if (auto parsed = com::parseGuid(*text)) {
                *clsid = *parsed;
                return true;
            }
            return false;
        }
        auto current = registry.value(name + "\\CurVer");
        if (!current || current->empty()) {
            return false;
        }
        name = *current;
    }
    return false;
}

std::atomic<int> initializeCount{0};

} // namespace

namespace com {

DWORD registerModuleClasses(const ClassRegistration* classes, std::size_t count,
                            DllGetClassObjectFunction getClassObject) {
    return ClassTable::instance().add(classes, count, getClassObject);
}

void unregisterModuleClasses(DWORD cookie) {
    ClassTable::instance().remove(cookie);
}

bool classSafeForScripting(REFCLSID clsid) {
    if (std::optional<bool> loaded = ClassTable::instance().safeForScripting(clsid)) {
        return *loaded;
    }
    return Registry::hasKey("CLSID\\" + guidToString(clsid) + "\\Implemented Categories\\" +
                            guidToString(CATID_SafeForScripting));
}

bool loadModule(const std::string& path, std::string* error) {
    return LoadedLibraries::instance().load(path, error) != nullptr;
}

bool clsidFromProgId(const std::string& progId, CLSID* clsid) {
    if (progId.empty() || !clsid) {
        return false;
    }
    if (ClassTable::instance().findByProgId(progId, clsid)) {
        return true;
    }
    return clsidFromRegistry(progId, clsid);
}

bool progIdFromClsid(REFCLSID clsid, std::string* progId) {
    if (ClassTable::instance().findByClsid(clsid, progId, nullptr)) {
        return true;
    }
    auto text = Registry::value("CLSID\\" + guidToString(clsid) + "\\ProgID");
    if (!text) {
        return false;
    }
    if (progId) {
        *progId = *text;
    }
    return true;
}

} // namespace com

HRESULT CLSIDFromProgID(LPCOLESTR progId, LPCLSID clsid) {
    if (!progId || !clsid) {
        return E_INVALIDARG;
    }
    try {
        return com::clsidFromProgId(narrow(progId), clsid) ? S_OK : CO_E_CLASSSTRING;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

HRESULT ProgIDFromCLSID(REFCLSID clsid, LPOLESTR* progId) {
    if (!progId) {
        return E_INVALIDARG;
    }
    *progId = nullptr;
    try {
        std::string text;
        if (!com::progIdFromClsid(clsid, &text)) {
            return REGDB_E_CLASSNOTREG;
        }
        std::u16string wide = com::utf8ToUtf16(text);
        auto* out = static_cast<OLECHAR*>(CoTaskMemAlloc((wide.size() + 1) * sizeof(OLECHAR)));
        if (!out) {
            return E_OUTOFMEMORY;
        }
        std::memcpy(out, wide.data(), wide.size() * sizeof(OLECHAR));
        out[wide.size()] = 0;
        *progId = out;
        return S_OK;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

HRESULT CoGetClassObject(REFCLSID clsid, DWORD clsContext, void*, REFIID riid, LPVOID* ppv) {
    if (!ppv) {
        return E_INVALIDARG;
    }
    *ppv = nullptr;
    if (!(clsContext & CLSCTX_INPROC_SERVER)) {
        return REGDB_E_CLASSNOTREG;
    }
    try {
        DllGetClassObjectFunction getClassObject = nullptr;
        if (!ClassTable::instance().findByClsid(clsid, nullptr, &getClassObject)) {
            auto path =
                com::Registry::value("CLSID\\" + com::guidToString(clsid) + "\\InprocServer32");
            if (!path || path->empty()) {
                return REGDB_E_CLASSNOTREG;
            }
            void* handle = LoadedLibraries::instance().load(*path, nullptr);
            if (!handle) {
                return CO_E_DLLNOTFOUND;
            }
            void* symbol = dlsym(handle, "DllGetClassObject");
            if (!symbol) {
                return CO_E_ERRORINDLL;
            }
            getClassObject = reinterpret_cast<DllGetClassObjectFunction>(symbol);
        }
        return getClassObject(clsid, riid, ppv);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD clsContext, REFIID riid,
                         LPVOID* ppv) {
    if (!ppv) {
        return E_POINTER;
    }
    *ppv = nullptr;
    com::ComPtr<IClassFactory> factory;
    HRESULT hr = CoGetClassObject(clsid, clsContext, nullptr, IID_IClassFactory, factory.outVoid());
    if (FAILED(hr)) {
        return hr;
    }
    if (!factory) {
        return E_UNEXPECTED;
    }
    return factory->CreateInstance(outer, riid, ppv);
}

HRESULT CoInitialize(void*) {
    return initializeCount.fetch_add(1) == 0 ? S_OK : S_FALSE;
}

HRESULT CoInitializeEx(void* reserved, DWORD) {
    return CoInitialize(reserved);
}

void CoUninitialize() {
    initializeCount.fetch_sub(1);
}

void* CoTaskMemAlloc(std::size_t size) {
    return std::malloc(size == 0 ? 1 : size);
}

void* CoTaskMemRealloc(void* block, std::size_t size) {
    return std::realloc(block, size == 0 ? 1 : size);
}

void CoTaskMemFree(void* block) {
    std::free(block);
}

#include "component/module/ServerRegistration.h"

#include <filesystem>

#include "com/Registration.h"
#include "com/Registry.h"
#include "component/module/ClassTable.h"

namespace component::module {

namespace {

constexpr LCID kTypeLibLcid = 0x409; // 1033

const CATID kCategories[] = {kCatidSafeForScripting, kCatidSafeForInitializing};

HRESULT registerRow(const ClassInfo& info, const std::string& modulePath) {
    const std::string clsid = com::guidToString(info.clsid);
    const std::string clsidKey = "CLSID\\" + clsid;
    HRESULT hr = com::Registry::update([&](com::RegistryFile& file) -> HRESULT {
        for (const char* progId : {info.progId, info.versionIndependentProgId}) {
            file.setValue(progId, "", info.description);
            file.setValue(std::string(progId) + "\\CLSID", "", clsid);
        }
        file.deleteTree(clsidKey);
        file.setValue(clsidKey, "", info.description);
        file.setValue(clsidKey + "\\ProgID", "", info.progId);
        file.setValue(clsidKey + "\\VersionIndependentProgID", "", info.versionIndependentProgId);
        file.setValue(clsidKey + "\\InprocServer32", "", modulePath);
        file.setValue(clsidKey + "\\InprocServer32", "ThreadingModel", "both");
        return S_OK;
    });
    if (FAILED(hr)) {
        return hr;
    }
    if (info.safeForScripting) {
        hr = com::registerClassImplCategories(info.clsid, 2, kCategories);
    }
    return hr;
}

com::TypeLibRegistration typeLibrary(const std::string& modulePath) {
    com::TypeLibRegistration library;
    library.libid = kTypeLibraryId;
    library.majorVersion = 1;
    library.minorVersion = 0;
    library.lcid = kTypeLibLcid;
    library.helpString = kTypeLibraryHelp;
    library.modulePath = modulePath;
    library.helpDir = std::filesystem::path(modulePath).parent_path().string();
    for (const ClassRow& row : classTable()) {
        library.interfaces.push_back({row.info->iid, row.info->interfaceName});
    }
    return library;
}

} // namespace

HRESULT ServerRegistration::registerServer(const std::string& modulePath) {
    try {
        for (const ClassRow& row : classTable()) {
            HRESULT hr = registerRow(*row.info, modulePath);
            if (FAILED(hr)) {
                return hr;
            }
        }
        return com::registerTypeLib(typeLibrary(modulePath));
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

HRESULT ServerRegistration::unregisterServer() {
    try {
        for (const ClassRow& row : classTable()) {
            const ClassInfo& info = *row.info;
            com::Registry::update([&](com::RegistryFile& file) -> HRESULT {
                file.deleteTree(info.progId);
                file.deleteTree(info.versionIndependentProgId);
                file.deleteTree("CLSID\\" + com::guidToString(info.clsid));
                return S_OK;
            });
            if (info.safeForScripting) {
                // The categories went with the class key; this only tidies what is left.
                com::unRegisterClassImplCategories(info.clsid, 2, kCategories);
            }
        }
        com::unRegisterTypeLib(kTypeLibraryId, 1, 0, kTypeLibLcid);
    } catch (...) {
    }
    return S_OK;
}

} // namespace component::module

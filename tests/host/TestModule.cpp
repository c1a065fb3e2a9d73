// A real module for the host and runtime tests: libq2test_module.so exports the four entry
// points, registers its class with the runtime when loaded and writes registry entries the
// way the component's module does.

#include "TestObject.h"

#include <dlfcn.h>
#include <iterator>
#include <mutex>
#include <string>

Q2COM_DEFINE_MODULE_LOCK_COUNT()

namespace {

constexpr const char* kProgId = "QuillionTest.TestObject.1";
constexpr const char* kIndependentProgId = "QuillionTest.TestObject";
constexpr const char* kDescription = "TestObject Class";
constexpr GUID kLibId = com::makeGuid("6C1E0B35-2A4D-4B8E-9F70-81A2B3C4D5E6");

const com::ClassRegistration kClasses[] = {
    {TestObject::clsid, kProgId, kIndependentProgId},
};

DWORD registrationCookie = 0;
std::mutex factoryMutex;
IClassFactory* factory = nullptr;

std::string modulePath() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&modulePath), &info) && info.dli_fname) {
        return info.dli_fname;
    }
    return {};
}

__attribute__((constructor)) void load() {
    registrationCookie =
        com::registerModuleClasses(kClasses, std::size(kClasses), &DllGetClassObject);
}

__attribute__((destructor)) void unload() {
    com::unregisterModuleClasses(registrationCookie);
    std::lock_guard lock(factoryMutex);
    if (factory) {
        factory->Release();
        factory = nullptr;
    }
}

} // namespace

extern "C" HRESULT DllGetClassObject(REFCLSID rclsid, REFIID riid, LPVOID* ppv) {
    if (!ppv) {
        return E_POINTER;
    }
    *ppv = nullptr;
    if (!IsEqualCLSID(rclsid, TestObject::clsid)) {
        return CLASS_E_CLASSNOTAVAILABLE;
    }
    std::lock_guard lock(factoryMutex);
    if (!factory) {
        factory = com::ClassFactory<TestObject>::make();
        if (!factory) {
            return E_OUTOFMEMORY;
        }
    }
    return factory->QueryInterface(riid, ppv);
}

extern "C" HRESULT DllCanUnloadNow() {
    return com::moduleLockCount() == 0 ? S_OK : S_FALSE;
}

extern "C" HRESULT DllRegisterServer() {
    const std::string clsid = com::guidToString(TestObject::clsid);
    const std::string path = modulePath();
    HRESULT hr = com::Registry::update([&](com::RegistryFile& file) {
        for (const char* progId : {kProgId, kIndependentProgId}) {
            file.setValue(progId, "", kDescription);
            file.setValue(std::string(progId) + "\\CLSID", "", clsid);
        }
        const std::string key = "CLSID\\" + clsid;
        file.deleteTree(key);
        file.setValue(key, "", kDescription);
        file.setValue(key + "\\ProgID", "", kProgId);
        file.setValue(key + "\\VersionIndependentProgID", "", kIndependentProgId);
        file.setValue(key + "\\InprocServer32", "", path);
        file.setValue(key + "\\InprocServer32", "ThreadingModel", "both");
        return S_OK;
    });
    if (FAILED(hr)) {
        return hr;
    }
    const CATID categories[] = {CATID_SafeForScripting, CATID_SafeForInitializing};
    hr = com::registerClassImplCategories(TestObject::clsid, 2, categories);
    if (FAILED(hr)) {
        return hr;
    }
    com::TypeLibRegistration typeLib;
    typeLib.libid = kLibId;
    typeLib.helpString = "QuillionTest 1.0 Type Library";
    typeLib.modulePath = path;
    typeLib.helpDir = path.substr(0, path.rfind('/'));
    typeLib.interfaces.push_back({ITestObject::iid, "ITestObject"});
    return com::registerTypeLib(typeLib);
}

extern "C" HRESULT DllUnregisterServer() {
    const std::string clsid = com::guidToString(TestObject::clsid);
    com::Registry::update([&](com::RegistryFile& file) {
        file.deleteTree(kProgId);
        file.deleteTree(kIndependentProgId);
        file.deleteTree("CLSID\\" + clsid);
        return S_OK;
    });
    const CATID categories[] = {CATID_SafeForScripting, CATID_SafeForInitializing};
    com::unRegisterClassImplCategories(TestObject::clsid, 2, categories);
    com::unRegisterTypeLib(kLibId, 1, 0, 0);
    return S_OK;
}

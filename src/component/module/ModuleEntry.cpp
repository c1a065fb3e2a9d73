// The shared library's load and unload hooks and its four exported entry points. Only this
// file is compiled into libquillion2.so; the work is done in q2_component.

#include <climits>
#include <cstdlib>
#include <dlfcn.h>
#include <string>

#include "com/ModuleEntryPoints.h"
#include "component/module/Module.h"
#include "component/module/ServerRegistration.h"
#include "stream/FileVersionNote.h"

QUILLION_FILE_VERSION_NOTE(5, 6, 0, 8)

namespace {

// The module's own full path. The loader keeps the name the module was opened by, which may
// be relative ("./libquillion2.so"); registration and version queries need the full path.
std::string ownPath() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&DllGetClassObject), &info) == 0 ||
        info.dli_fname == nullptr) {
        return std::string();
    }
    char resolved[PATH_MAX];
    if (realpath(info.dli_fname, resolved) != nullptr) {
        return resolved;
    }
    return info.dli_fname;
}

__attribute__((constructor)) void moduleAttach() {
    component::module::Module::attach(ownPath());
    component::module::Module::registerClasses(&DllGetClassObject);
}

__attribute__((destructor)) void moduleDetach() {
    component::module::Module::unregisterClasses();
    component::module::Module::detach();
}

} // namespace

extern "C" {

__attribute__((visibility("default"))) HRESULT DllGetClassObject(REFCLSID rclsid, REFIID riid,
                                                                 LPVOID* ppv) {
    return component::module::Module::getClassObject(rclsid, riid, ppv);
}

__attribute__((visibility("default"))) HRESULT DllCanUnloadNow() {
    return component::module::Module::canUnloadNow();
}

__attribute__((visibility("default"))) HRESULT DllRegisterServer() {
    return component::module::ServerRegistration::registerServer(component::module::Module::path());
}

__attribute__((visibility("default"))) HRESULT DllUnregisterServer() {
    return component::module::ServerRegistration::unregisterServer();
}
}

#pragma once

#include <atomic>
#include <string>

#include "com/Activation.h"
#include "com/Types.h"

namespace component::module {

// The module state: its own file path, the lock count, and the load and unload sequences.
// The shared library calls attach() from its load-time hook and detach() from its unload
// hook; tests call them directly.
class Module {
public:
    // The load sequence: log defaults (temporary directory + "QuillionCOM.log", mask 15),
    // the properties file of the temporary directory (LogPath, LogLevel), the log opened
    // with its header, "LogLevel: <mask>", every property copied into the settings table,
    // the XML libraries initialised. Never raises.
    static void attach(const std::string& modulePath) noexcept;
    // The unload sequence: the cached class factories released, the log's footer written
    // and the log closed, the settings table emptied. Never raises.
    static void detach() noexcept;

    static std::string path();

    // Registers the class table with the COM runtime's registration-free activation, so that
    // the classes can be created by ProgID in this process without registration.
    // getClassObject is the module's DllGetClassObject. Undone by unregisterClasses().
    static void registerClasses(DllGetClassObjectFunction getClassObject) noexcept;
    static void unregisterClasses() noexcept;
    // DllGetClassObject over the class-factory cache.
    static HRESULT getClassObject(REFCLSID clsid, REFIID riid, void** ppv);
    // DllCanUnloadNow: S_OK when the lock count is 0, else S_FALSE.
    static HRESULT canUnloadNow() noexcept;

    // Every live object and every LockServer(TRUE) holds one lock.
    static void lock() noexcept;
    static void unlock() noexcept;
    static LONG lockCount() noexcept;
};

} // namespace component::module

#include "component/module/Module.h"

#include <mutex>
#include <optional>
#include <vector>

#include "com/ModuleLock.h"
#include "component/module/ClassFactoryCache.h"
#include "component/module/ClassTable.h"
#include "component/module/ModuleLog.h"
#include "component/module/SettingNames.h"
#include "component/module/SettingsTable.h"
#include "platform/xml/XmlLibraries.h"
#include "stream/LogSize.h"
#include "stream/Properties.h"
#include "stream/System.h"

Q2COM_DEFINE_MODULE_LOCK_COUNT()

namespace component::module {

namespace {

std::atomic<DWORD> activationCookie{0};

// The module's path, built on first use: the load hook may run before this file's
// static initialisers.
struct ModulePath {
    std::mutex mutex;
    std::string value;
};

ModulePath& modulePath() {
    static ModulePath path;
    return path;
}

constexpr char kLogFileName[] = "QuillionCOM.log";
constexpr char kPropertiesFileName[] = "QuillionCOM.properties";

} // namespace

void Module::attach(const std::string& modulePath) noexcept {
    {
        ModulePath& own = component::module::modulePath();
        std::lock_guard<std::mutex> guard(own.mutex);
        own.value = modulePath;
    }
    std::string tempPath;
    try {
        tempPath = stream::System::tempPath();
    } catch (...) {
        tempPath = "/tmp/";
    }
    std::string logPath = tempPath + kLogFileName;
    uint32_t mask = stream::LOG_ALL;

    stream::Properties properties;
    try {
        properties.loadFile(tempPath + kPropertiesFileName);
        std::string value = properties.getProperty(kLogPath, "");
        if (!value.empty()) {
            logPath = value;
        }
        value = properties.getProperty(kLogLevel, "");
        if (!value.empty()) {
            mask = stream::parseLevel(value);
        }
        // A size that cannot be read keeps the default limit.
        if (std::optional<uint64_t> size =
                stream::parseLogSize(properties.getProperty(kLogMaxSize, ""))) {
            stream::Log::instance().setSizeLimit(*size);
        }
    } catch (...) {
        // A missing or unreadable properties file leaves the defaults.
    }

    try {
        stream::Log::instance().open(logPath, modulePath, mask);
    } catch (...) {
        // A log target that cannot be opened (malformed or unreachable socket) loses the
        // log; the module still loads.
        stream::Log::instance().setMask(mask);
    }
    stream::Log::instance().log(stream::LOG_ALL, "LogLevel: " + std::to_string(mask));

    try {
        SettingsTable& settings = SettingsTable::instance();
        for (const std::string& name : properties.propertyNames()) {
            settings.set(name, properties.getProperty(name, ""));
        }
    } catch (...) {
    }

    switch (platform::xml::XmlLibraries::initialise()) {
    case platform::xml::XmlLibraries::Outcome::Started:
        break;
    case platform::xml::XmlLibraries::Outcome::XmlLibraryFailure:
        logError("XMLException");
        break;
    case platform::xml::XmlLibraries::Outcome::OtherFailure:
        logError("Exception");
        break;
    }
}

void Module::detach() noexcept {
    ClassFactoryCache::instance().releaseAll();
    try {
        stream::Log::instance().close();
    } catch (...) {
    }
    SettingsTable::instance().clear();
}

std::string Module::path() {
    ModulePath& own = modulePath();
    std::lock_guard<std::mutex> guard(own.mutex);
    return own.value;
}

void Module::lock() noexcept {
    com::lockModule();
}

void Module::unlock() noexcept {
    com::unlockModule();
}

LONG Module::lockCount() noexcept {
    return com::moduleLockCount().load();
}

HRESULT Module::canUnloadNow() noexcept {
    return lockCount() == 0 ? S_OK : S_FALSE;
}

HRESULT Module::getClassObject(REFCLSID clsid, REFIID riid, void** ppv) {
    return ClassFactoryCache::instance().getClassObject(clsid, riid, ppv);
}

void Module::registerClasses(DllGetClassObjectFunction getClassObject) noexcept {
    try {
        std::vector<com::ClassRegistration> classes;
        for (const ClassRow& row : classTable()) {
            classes.push_back({row.info->clsid, row.info->progId,
                               row.info->versionIndependentProgId, row.info->safeForScripting});
        }
        DWORD cookie = com::registerModuleClasses(classes.data(), classes.size(), getClassObject);
        DWORD previous = activationCookie.exchange(cookie);
        if (previous != 0) {
            com::unregisterModuleClasses(previous);
        }
    } catch (...) {
        logError("Exception");
    }
}

void Module::unregisterClasses() noexcept {
    DWORD cookie = activationCookie.exchange(0);
    if (cookie != 0) {
        com::unregisterModuleClasses(cookie);
    }
}

} // namespace component::module

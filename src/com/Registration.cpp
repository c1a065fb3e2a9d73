#include "com/Registration.h"

#include "com/Registry.h"

#include <cstdio>

namespace com {

namespace {

// The automation marshaler, which Windows names for dual interfaces.
constexpr const char* kAutomationProxyStub = "{00020424-0000-0000-C000-000000000046}";

std::string versionText(WORD major, WORD minor) {
    return std::to_string(major) + "." + std::to_string(minor);
}

std::string lcidText(LCID lcid) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%x", static_cast<unsigned>(lcid));
    return buffer;
}

} // namespace

HRESULT registerTypeLib(const TypeLibRegistration& t) {
    const std::string lib = "TypeLib\\" + guidToString(t.libid);
    const std::string version = lib + "\\" + versionText(t.majorVersion, t.minorVersion);
    return Registry::update([&](RegistryFile& file) {
        file.deleteTree(version);
        file.setValue(version, "", t.helpString);
        file.setValue(version + "\\" + lcidText(t.lcid) + "\\linux64", "", t.modulePath);
        file.setValue(version + "\\FLAGS", "", std::to_string(t.flags));
        file.setValue(version + "\\HELPDIR", "", t.helpDir);
        for (const TypeLibInterface& i : t.interfaces) {
            const std::string key = "Interface\\" + guidToString(i.iid);
            file.deleteTree(key);
            file.setValue(key, "", i.name);
            file.setValue(key + "\\ProxyStubClsid", "", kAutomationProxyStub);
            file.setValue(key + "\\ProxyStubClsid32", "", kAutomationProxyStub);
            file.setValue(key + "\\TypeLib", "", guidToString(t.libid));
            file.setValue(key + "\\TypeLib", "Version",
                          versionText(t.majorVersion, t.minorVersion));
        }
        return S_OK;
    });
}

HRESULT unRegisterTypeLib(REFGUID libid, WORD majorVersion, WORD minorVersion, LCID) {
    const std::string libText = guidToString(libid);
    const std::string lib = "TypeLib\\" + libText;
    const std::string version = lib + "\\" + versionText(majorVersion, minorVersion);
    return Registry::update([&](RegistryFile& file) {
        if (!file.deleteTree(version)) {
            return TYPE_E_LIBNOTREGISTERED;
        }
        if (file.subKeys(lib).empty()) {
            file.deleteTree(lib);
        }
        for (const std::string& iid : file.subKeys("Interface")) {
            const std::string key = "Interface\\" + iid;
            auto owner = file.value(key + "\\TypeLib");
            if (owner && RegistryFile::normalize(*owner) == libText) {
                file.deleteTree(key);
            }
        }
        return S_OK;
    });
}

HRESULT registerClassImplCategories(REFCLSID clsid, ULONG count, const CATID* catids) {
    if (count > 0 && !catids) {
        return E_POINTER;
    }
    const std::string base = "CLSID\\" + guidToString(clsid) + "\\Implemented Categories";
    return Registry::update([&](RegistryFile& file) {
        for (ULONG i = 0; i < count; ++i) {
            file.createKey(base + "\\" + guidToString(catids[i]));
        }
        return S_OK;
    });
}

HRESULT unRegisterClassImplCategories(REFCLSID clsid, ULONG count, const CATID* catids) {
    if (count > 0 && !catids) {
        return E_POINTER;
    }
    const std::string base = "CLSID\\" + guidToString(clsid) + "\\Implemented Categories";
    return Registry::update([&](RegistryFile& file) {
        for (ULONG i = 0; i < count; ++i) {
            file.deleteTree(base + "\\" + guidToString(catids[i]));
        }
        if (file.hasKey(base) && file.subKeys(base).empty() && file.values(base).empty()) {
            file.deleteTree(base);
        }
        return S_OK;
    });
}

HRESULT registerCategory(REFGUID catid, LCID lcid, const std::string& description) {
    return Registry::setValue("Component Categories\\" + guidToString(catid), lcidText(lcid),
                              description);
}

} // namespace com

#include "component/content/CQNCryptoSystem.h"

#include "component/content/XadesVersion.h"
#include "component/module/Module.h"
#include "component/module/ModuleLog.h"
#include "component/module/SettingsTable.h"
#include "platform/system/ServicePack.h"
#include "stream/System.h"

namespace component::content {

namespace {

constexpr const char* kXadesNamespaceNames[] = {
    "XADES_1_2_2_NAMESPACE",
    "XADES_1_3_2_NAMESPACE",
    "XADES_1_2_2_SIGNEDPROPERTIES_NAMESPACE",
    "XADES_1_3_2_SIGNEDPROPERTIES_NAMESPACE",
};

} // namespace

CQNCryptoSystem::CQNCryptoSystem() {
    platform::system::ServicePack::refresh();
}

bool CQNCryptoSystem::isXadesNamespaceName(const std::string& name) noexcept {
    for (const char* refused : kXadesNamespaceNames) {
        if (name == refused) {
            return true;
        }
    }
    return false;
}

void CQNCryptoSystem::setMode(LONG mode) {
    module::logTrace("CQNCryptoSystem::setMode");
    mode_ = mode;
    module::logInfo("MODE: " + std::to_string(mode));
}

bool CQNCryptoSystem::setProperty(const std::string& name, const std::string& value) {
    module::logInfo("Property: name=" + name + ", value=" + value);
    if (isXadesNamespaceName(name)) {
        module::logError("CryptoSystem::setProperty:: No se puede establecer esta propiedad");
        return false;
    }
    if (name == "QN_MODE") {
        // "2" and "3" are swapped: "2" is CMS, "3" is XML-DSig.
        if (value == "1") {
            mode_ = MT_PKCS7;
        } else if (value == "2") {
            mode_ = MT_CMS;
        } else if (value == "3") {
            mode_ = MT_XMLDSIG;
        } else if (value.size() == 1 && value[0] >= '4' && value[0] <= '8') {
            mode_ = value[0] - '0';
        }
    }
    module::SettingsTable::instance().set(name, value);
    return true;
}

bool CQNCryptoSystem::setInitProperty(const std::string& name, const std::string&) {
    if (name.empty() || !isXadesNamespaceName(name)) {
        return false;
    }
    // The comparisons made for the selection accept every one of the four names as 1.2.2;
    // the value has no effect.
    XadesVersion::set("1.2.2");
    return true;
}

std::string CQNCryptoSystem::version() {
    return stream::System::fileVersion(module::Module::path());
}

void CQNCryptoSystem::addRestriction(const std::string& field, const std::string& value) {
    restrictions_.push_back(field);
    restrictions_.push_back(value);
}

void CQNCryptoSystem::addTrustEntity(const std::string& entity) {
    trustEntities_.push_back(entity);
}

void CQNCryptoSystem::clearRestrictionsAndTrustEntities() noexcept {
    restrictions_.clear();
    trustEntities_.clear();
}

} // namespace component::content

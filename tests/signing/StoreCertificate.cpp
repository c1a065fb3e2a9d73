#include "StoreCertificate.h"

#include "platform/certificates/CertificateObject.h"
#include "platform/stores/FolderStore.h"

namespace signingtest {

namespace stores = platform::stores;

com::ComPtr<component::certificates::QNCertificate>
storeCertificate(const testpki::Issued& who, bool withKey, const std::string& password) {
    auto store = stores::FolderStore::open(stores::StoreLocation::CurrentUser, "MY", false);
    store->add(who.certificate, withKey ? who.key.get() : nullptr, password);
    auto reread = stores::FolderStore::open(stores::StoreLocation::CurrentUser, "MY", true);
    for (const auto& entry : reread->entries()) {
        if (entry.certificate->sameAs(*who.certificate)) {
            auto cert = component::certificates::QNCertificate::create();
            cert->setPlatformObject(
                std::make_shared<platform::certificates::CertificateObject>(entry.certificate));
            return cert;
        }
    }
    return {};
}

} // namespace signingtest

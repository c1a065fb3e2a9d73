#include "platform/certificates/CertificateStoreObject.h"

#include "platform/certificates/CertificateErrors.h"
#include "platform/crypt/CryptErrors.h"

namespace platform::certificates {

void CertificateStoreObject::open(int32_t location, const std::string& name, StoreOpenMode mode) {
    if (location != static_cast<int32_t>(stores::StoreLocation::LocalMachine) &&
        location != static_cast<int32_t>(stores::StoreLocation::CurrentUser)) {
        crypt::raiseCrypt(__FILE__, __LINE__, E_INVALIDARG);
    }
    store_ = stores::FolderStore::open(static_cast<stores::StoreLocation>(location), name,
                                       mode == StoreOpenMode::ReadOnly);
}

CertificateCollectionPtr CertificateStoreObject::certificates() const {
    if (!store_) {
        crypt::raiseCrypt(__FILE__, __LINE__, E_POINTER);
    }
    std::vector<CertificateObjectPtr> items;
    for (const stores::StoreEntry& entry : store_->entries()) {
        items.push_back(std::make_shared<CertificateObject>(entry.certificate));
    }
    return std::make_shared<CertificateCollection>(std::move(items));
}

} // namespace platform::certificates

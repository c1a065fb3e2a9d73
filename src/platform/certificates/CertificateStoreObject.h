#pragma once

#include <memory>
#include <string>

#include "platform/certificates/CertificateCollection.h"
#include "platform/stores/FolderStore.h"

namespace platform::certificates {

// Open modes of a store (CAPICOM's numbers).
enum class StoreOpenMode { ReadOnly = 0, ReadWrite = 1 };

// An opened certificate store (in place of CAPICOM.Store).
class CertificateStoreObject {
public:
    // location 1 local machine, 2 current user; any other raises E_INVALIDARG.
    void open(int32_t location, const std::string& name, StoreOpenMode mode);
    // The store's certificates as a new collection; E_POINTER (0x80004003) before open.
    CertificateCollectionPtr certificates() const;
    const std::shared_ptr<stores::FolderStore>& store() const { return store_; }

private:
    std::shared_ptr<stores::FolderStore> store_;
};

} // namespace platform::certificates

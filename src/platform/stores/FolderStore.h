#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/crypt/Certificate.h"
#include "platform/stores/StorePaths.h"

namespace platform::stores {

// One certificate of a store and where it came from.
struct StoreEntry {
    crypt::CertificatePtr certificate;
    std::string path;        // the certificate file
    std::string keyPath;     // the key file, empty when there is none
    bool systemRoot = false; // from the system roots: read-only
};

// A certificate store kept in a folder: certificates are DER or PEM files ending in .cer,
// .crt, .der or .pem, listed in file-name order; a certificate's private key is the file of
// the same base name ending in .key. ROOT also lists the system roots, read-only. A folder
// that does not exist opens empty; unreadable or malformed files are skipped with a WARNING.
class FolderStore {
public:
    // Opens (reads) the store. readOnly stores refuse add and remove with ERROR_ACCESS_DENIED.
    static std::shared_ptr<FolderStore> open(StoreLocation location, const std::string& name,
                                             bool readOnly);
    // A store over any folder (no system roots).
    static std::shared_ptr<FolderStore> openFolder(const std::string& folder, bool readOnly);

    const std::string& folder() const noexcept { return folder_; }
    const std::string& name() const noexcept { return name_; }
    bool readOnly() const noexcept { return readOnly_; }
    const std::vector<StoreEntry>& entries() const noexcept { return entries_; }
    std::vector<crypt::CertificatePtr> certificates() const;

    // Adds a certificate (DER file named after its SHA-1 hash) and, when given, its key
    // (encrypted with keyPassword when not empty). The folder is created (0700) when missing.
    // A certificate already there is replaced only in its key. Returns (a copy of) the entry.
    StoreEntry add(const crypt::CertificatePtr& certificate, const crypt::PrivateKey* key,
                   const std::string& keyPassword);
    // Removes a certificate (and its key); CRYPT_E_NOT_FOUND when it is not in the store,
    // ERROR_ACCESS_DENIED for a system root.
    void remove(const crypt::Certificate& certificate);

private:
    FolderStore(std::string folder, std::string name, bool readOnly);
    void load();
    void attachKey(StoreEntry& entry);
    void readFolder(const std::string& folder, bool systemRoots);

    std::string folder_;
    std::string name_;
    bool readOnly_;
    bool withSystemRoots_ = false;
    std::vector<StoreEntry> entries_;
};

} // namespace platform::stores

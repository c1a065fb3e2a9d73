#include "platform/stores/FolderStore.h"

#include <algorithm>
#include <filesystem>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/crypt/CryptErrors.h"
#include "platform/stores/KeyFile.h"
#include "stream/Log.h"
#include "stream/LogLevel.h"
#include "stream/WholeFile.h"

namespace platform::stores {

namespace fs = std::filesystem;

namespace {

constexpr uint32_t ERROR_WRITE_FAULT = 29;
constexpr uintmax_t kMaxCertificateFile = 4 * 1024 * 1024;

bool isCertificateFile(const fs::path& p) {
    std::string ext = p.extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext == ".cer" || ext == ".crt" || ext == ".der" || ext == ".pem";
}

std::string hexOf(const std::vector<unsigned char>& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (unsigned char b : bytes) {
        out += digits[b >> 4];
        out += digits[b & 15];
    }
    return out;
}

void warn(const std::string& text) {
    stream::Log::instance().log(stream::LOG_WARNING, text);
}

} // namespace

FolderStore::FolderStore(std::string folder, std::string name, bool readOnly)
    : folder_(std::move(folder)), name_(std::move(name)), readOnly_(readOnly) {}

std::shared_ptr<FolderStore> FolderStore::open(StoreLocation location, const std::string& name,
                                               bool readOnly) {
    std::shared_ptr<FolderStore> store(
        new FolderStore(storeFolder(location, name), name, readOnly));
    std::string upper = name;
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    store->withSystemRoots_ = upper == "ROOT";
    store->load();
    return store;
}

std::shared_ptr<FolderStore> FolderStore::openFolder(const std::string& folder, bool readOnly) {
    std::shared_ptr<FolderStore> store(
        new FolderStore(folder, fs::path(folder).filename().string(), readOnly));
    store->load();
    return store;
}

void FolderStore::load() {
    entries_.clear();
    readFolder(folder_, false);
    if (withSystemRoots_) {
        readFolder(systemRootsFolder(), true);
    }
}

void FolderStore::readFolder(const std::string& folder, bool systemRoots) {
    std::error_code ec;
    if (!fs::is_directory(folder, ec)) {
        return;
    }
    std::vector<fs::path> files;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        if (isCertificateFile(it->path())) {
            files.push_back(it->path());
        }
    }
    if (ec) {
        warn("Cannot read certificate store folder " + folder + ": " + ec.message());
    }
    std::sort(files.begin(), files.end(), [](const fs::path& a, const fs::path& b) {
        return a.filename().string() < b.filename().string();
    });
    std::set<std::vector<unsigned char>> seen;
    for (const StoreEntry& entry : entries_) {
        seen.insert(entry.certificate->sha1Hash());
    }
    for (const fs::path& file : files) {
        std::error_code sizeError;
        uintmax_t size = fs::file_size(file, sizeError);
        if (sizeError || size == 0 || size > kMaxCertificateFile) {
            warn("Certificate file skipped (unreadable, empty or too large): " + file.string());
            continue;
        }
        std::vector<crypt::CertificatePtr> certificates;
        try {
            stream::ByteBuffer bytes = stream::readWholeFile(file.string());
            certificates = crypt::readCertificates(
                std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
        } catch (const std::exception&) {
            warn("Certificate file skipped (not a certificate): " + file.string());
            continue;
        }
        for (crypt::CertificatePtr& certificate : certificates) {
            if (!seen.insert(certificate->sha1Hash()).second) {
                continue;
            }
            StoreEntry entry{std::move(certificate), file.string(), {}, systemRoots};
            if (!systemRoots) {
                attachKey(entry);
            }
            entries_.push_back(std::move(entry));
        }
    }
}

void FolderStore::attachKey(StoreEntry& entry) {
    fs::path keyPath = fs::path(entry.path).replace_extension(".key");
    std::error_code ec;
    if (!fs::exists(fs::symlink_status(keyPath, ec))) {
        return;
    }
    if (!KeyFile::usable(keyPath.string())) {
        return;
    }
    entry.keyPath = keyPath.string();
    crypt::KeyProviderInfo info;
    info.container = entry.keyPath;
    info.provider = crypt::kFolderKeyProvider;
    std::string path = entry.keyPath;
    std::string description = entry.certificate->subjectName();
    entry.certificate->setKeyProvider(std::make_shared<crypt::KeyProvider>(
        info, [path, description] { return KeyFile::load(path, description); }, description));
}

std::vector<crypt::CertificatePtr> FolderStore::certificates() const {
    std::vector<crypt::CertificatePtr> out;
    out.reserve(entries_.size());
    for (const StoreEntry& entry : entries_) {
        out.push_back(entry.certificate);
    }
    return out;
}

StoreEntry FolderStore::add(const crypt::CertificatePtr& certificate, const crypt::PrivateKey* key,
                            const std::string& keyPassword) {
    if (readOnly_) {
        crypt::raiseCrypt(__FILE__, __LINE__, crypt::errors::ERROR_ACCESS_DENIED);
    }
    std::error_code ec;
    fs::create_directories(folder_, ec);
    if (ec || !fs::is_directory(folder_)) {
        crypt::raiseCrypt(__FILE__, __LINE__, crypt::errors::ERROR_ACCESS_DENIED);
    }
    ::chmod(folder_.c_str(), 0700);
    std::string base = folder_ + "/" + hexOf(certificate->sha1Hash());
    std::string certPath = base + ".cer";
    auto existing = std::find_if(entries_.begin(), entries_.end(), [&](const StoreEntry& e) {
        return !e.systemRoot && e.certificate->sameAs(*certificate);
    });
    if (existing == entries_.end()) {
        std::string tmp = certPath + ".tmp";
        try {
            stream::writeWholeFile(tmp, certificate->der().data(), certificate->der().size());
        } catch (const std::exception&) {
            ::unlink(tmp.c_str());
            crypt::raiseCrypt(__FILE__, __LINE__, ERROR_WRITE_FAULT);
        }
        if (::rename(tmp.c_str(), certPath.c_str()) != 0) {
            ::unlink(tmp.c_str());
            crypt::raiseCrypt(__FILE__, __LINE__, ERROR_WRITE_FAULT);
        }
    } else {
        certPath = existing->path;
        base = fs::path(certPath).replace_extension("").string();
    }
    if (key != nullptr) {
        std::string keyPath = base + ".key";
        ::unlink(keyPath.c_str());
        KeyFile::write(keyPath, *key, keyPassword);
    }
    load();
    for (const StoreEntry& entry : entries_) {
        if (entry.path == certPath) {
            return entry;
        }
    }
    crypt::raiseCrypt(__FILE__, __LINE__, crypt::errors::CRYPT_E_NOT_FOUND);
}

void FolderStore::remove(const crypt::Certificate& certificate) {
    auto found = std::find_if(entries_.begin(), entries_.end(), [&](const StoreEntry& e) {
        return e.certificate->sameAs(certificate);
    });
    if (found == entries_.end()) {
        crypt::raiseCrypt(__FILE__, __LINE__, crypt::errors::CRYPT_E_NOT_FOUND);
    }
    if (readOnly_ || found->systemRoot) {
        crypt::raiseCrypt(__FILE__, __LINE__, crypt::errors::ERROR_ACCESS_DENIED);
    }
    if (::unlink(found->path.c_str()) != 0) {
        crypt::raiseCrypt(__FILE__, __LINE__, crypt::errors::ERROR_ACCESS_DENIED);
    }
    if (!found->keyPath.empty()) {
        ::unlink(found->keyPath.c_str());
    }
    entries_.erase(found);
}

} // namespace platform::stores

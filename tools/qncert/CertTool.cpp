#include "CertTool.h"

#include <ctime>
#include <ostream>

#include "platform/crypt/CertificateIssuer.h"
#include "platform/crypt/Pkcs12.h"
#include "platform/stores/FolderStore.h"
#include "platform/stores/KeyFile.h"
#include "stream/SystemMessage.h"
#include "stream/WholeFile.h"
#include "stream/exceptions/CryptException.h"

namespace qncert {

using namespace platform;

namespace {

std::string dateText(std::time_t t) {
    struct tm tm {};
    gmtime_r(&t, &tm);
    char buffer[32];
    std::strftime(buffer, sizeof buffer, "%Y-%m-%d %H:%M:%S UTC", &tm);
    return buffer;
}

std::string messageOf(uint32_t code) {
    std::string text = stream::SystemMessage::text(code);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) {
        text.pop_back();
    }
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%08X", code);
    return text.empty() ? std::string("error ") + hex : text + " (" + hex + ")";
}

std::string readFileBytes(const std::string& path) {
    stream::ByteBuffer bytes = stream::readWholeFile(path);
    return std::string(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

bool looksLikePkcs12(const std::string& path, const std::string& bytes) {
    auto ends = [&](const char* ext) {
        std::string e = ext;
        return path.size() >= e.size() && path.compare(path.size() - e.size(), e.size(), e) == 0;
    };
    if (ends(".p12") || ends(".pfx") || ends(".P12") || ends(".PFX")) {
        return true;
    }
    try {
        crypt::readCertificates(bytes);
        return false;
    } catch (const std::exception&) {
        return bytes.find("-----BEGIN") == std::string::npos;
    }
}

// The entries that match a selector: a 1-based position in the listing, or a serial number.
std::vector<const stores::StoreEntry*> select(const stores::FolderStore& store,
                                              const std::string& which) {
    std::vector<const stores::StoreEntry*> found;
    const auto& entries = store.entries();
    bool numeric = !which.empty() && which.size() < 6 &&
                   which.find_first_not_of("0123456789") == std::string::npos;
    for (size_t i = 0; i < entries.size(); ++i) {
        if ((numeric && std::to_string(i + 1) == which) ||
            entries[i].certificate->serialNumber() == which) {
            found.push_back(&entries[i]);
        }
    }
    return found;
}

} // namespace

std::string CertTool::option(const std::string& name, const std::string& fallback) const {
    auto it = options_.find(name);
    return it == options_.end() ? fallback : it->second;
}

int CertTool::location() const {
    std::string where = option("location", "CurrentUser");
    if (where == "CurrentUser") {
        return static_cast<int>(stores::StoreLocation::CurrentUser);
    }
    if (where == "LocalMachine") {
        return static_cast<int>(stores::StoreLocation::LocalMachine);
    }
    return 0;
}

int CertTool::usage() {
    err_ << "usage: qncert COMMAND [options]\n"
            "  import FILE...   PKCS#12 (--password P), PEM/DER certificate (--key KEY.pem)\n"
            "  list             subject, issuer, serial, validity, key present\n"
            "  export WHICH     PEM to standard output or --out FILE (--der for DER)\n"
            "  remove WHICH     removes a certificate and its key (WHICH: position or serial)\n"
            "  demo             a demonstration PKI: root in ROOT, signing and encryption\n"
            "                   certificates with their keys in the store\n"
            "options: --store NAME (MY), --location CurrentUser|LocalMachine,\n"
            "         --key-password P (encrypts stored keys)\n";
    return 2;
}

int CertTool::run(const std::vector<std::string>& args) {
    std::vector<std::string> positional;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--der") {
            options_["der"] = "1";
        } else if (a.rfind("--", 0) == 0) {
            if (i + 1 >= args.size()) {
                err_ << "qncert: option " << a << " needs a value\n";
                return 2;
            }
            options_[a.substr(2)] = args[++i];
        } else {
            positional.push_back(a);
        }
    }
    if (positional.empty()) {
        return usage();
    }
    if (location() == 0) {
        err_ << "qncert: unknown location " << option("location", "") << "\n";
        return 2;
    }
    std::string command = positional.front();
    positional.erase(positional.begin());
    try {
        if (command == "import") {
            return import(positional);
        }
        if (command == "list") {
            return list();
        }
        if (command == "export") {
            return exportCertificate(positional);
        }
        if (command == "remove") {
            return remove(positional);
        }
        if (command == "demo") {
            return demo();
        }
    } catch (const stream::exceptions::CryptException& e) {
        err_ << "qncert: " << command << ": " << messageOf(e.errorCode()) << "\n";
        return 1;
    } catch (const std::exception& e) {
        err_ << "qncert: " << command << ": " << e.what() << "\n";
        return 1;
    }
    return usage();
}

int CertTool::import(const std::vector<std::string>& files) {
    if (files.empty()) {
        return usage();
    }
    auto store = stores::FolderStore::open(static_cast<stores::StoreLocation>(location()),
                                           option("store", "MY"), false);
    const std::string keyPassword = option("key-password", "");
    for (const std::string& file : files) {
        std::string bytes;
        try {
            bytes = readFileBytes(file);
        } catch (const std::exception&) {
            err_ << "qncert: import: cannot read " << file << "\n";
            return 1;
        }
        if (looksLikePkcs12(file, bytes)) {
            crypt::Pkcs12Contents p12;
            try {
                p12 = crypt::readPkcs12(bytes, option("password", ""));
            } catch (const stream::exceptions::CryptException& e) {
                if (e.errorCode() == crypt::ERROR_INVALID_PASSWORD) {
                    err_ << "qncert: import: wrong PKCS#12 password for " << file << "\n";
                    return 1;
                }
                throw;
            }
            const auto& entry = store->add(p12.certificate, p12.key.get(), keyPassword);
            out_ << "imported " << entry.certificate->subjectName() << " with its key\n";
            for (const crypt::CertificatePtr& other : p12.others) {
                auto ca = stores::FolderStore::open(static_cast<stores::StoreLocation>(location()),
                                                    other->isSelfIssued() ? "ROOT" : "CA", false);
                ca->add(other, nullptr, "");
                out_ << "imported " << other->subjectName() << " into "
                     << (other->isSelfIssued() ? "ROOT" : "CA") << "\n";
            }
            continue;
        }
        std::vector<crypt::CertificatePtr> certificates = crypt::readCertificates(bytes);
        std::shared_ptr<crypt::PrivateKey> key;
        std::string keyFile = option("key", "");
        if (!keyFile.empty()) {
            std::string pem;
            try {
                pem = readFileBytes(keyFile);
            } catch (const std::exception&) {
                err_ << "qncert: import: cannot read " << keyFile << "\n";
                return 1;
            }
            key = std::make_shared<crypt::PrivateKey>(
                crypt::PrivateKey::fromPem(pem, option("password", "")));
            if (EVP_PKEY_eq(key->get(), certificates.front()->publicKey().get()) != 1) {
                err_ << "qncert: import: the key does not belong to the certificate\n";
                return 1;
            }
        }
        for (size_t i = 0; i < certificates.size(); ++i) {
            const auto& entry =
                store->add(certificates[i], i == 0 ? key.get() : nullptr, keyPassword);
            out_ << "imported " << entry.certificate->subjectName()
                 << (i == 0 && key ? " with its key" : "") << "\n";
        }
    }
    return 0;
}

int CertTool::list() {
    auto store = stores::FolderStore::open(static_cast<stores::StoreLocation>(location()),
                                           option("store", "MY"), true);
    size_t n = 0;
    for (const stores::StoreEntry& entry : store->entries()) {
        const crypt::Certificate& c = *entry.certificate;
        out_ << ++n << ". " << c.subjectName() << "\n"
             << "   issuer:  " << c.issuerName() << "\n"
             << "   serial:  " << c.serialNumber() << "\n"
             << "   valid:   " << dateText(c.notBefore()) << " - " << dateText(c.notAfter()) << "\n"
             << "   key:     " << (c.hasPrivateKey() ? "yes" : "no")
             << (entry.systemRoot ? "   (system root)" : "") << "\n";
    }
    return 0;
}

int CertTool::exportCertificate(const std::vector<std::string>& which) {
    if (which.size() != 1) {
        return usage();
    }
    auto store = stores::FolderStore::open(static_cast<stores::StoreLocation>(location()),
                                           option("store", "MY"), true);
    std::vector<const stores::StoreEntry*> found = select(*store, which[0]);
    if (found.size() != 1) {
        err_ << "qncert: export: no single certificate matches " << which[0] << "\n";
        return 1;
    }
    const crypt::Certificate& c = *found[0]->certificate;
    std::string bytes =
        option("der", "").empty() ? c.pem() : std::string(c.der().begin(), c.der().end());
    std::string file = option("out", "");
    if (file.empty()) {
        out_ << bytes;
    } else {
        stream::writeWholeFile(file, reinterpret_cast<const unsigned char*>(bytes.data()),
                               bytes.size());
    }
    return 0;
}

int CertTool::remove(const std::vector<std::string>& which) {
    if (which.size() != 1) {
        return usage();
    }
    auto store = stores::FolderStore::open(static_cast<stores::StoreLocation>(location()),
                                           option("store", "MY"), false);
    std::vector<const stores::StoreEntry*> found = select(*store, which[0]);
    if (found.size() != 1) {
        err_ << "qncert: remove: no single certificate matches " << which[0] << "\n";
        return 1;
    }
    crypt::CertificatePtr certificate = found[0]->certificate;
    store->remove(*certificate);
    out_ << "removed " << certificate->subjectName() << "\n";
    return 0;
}

int CertTool::demo() {
    auto where = static_cast<stores::StoreLocation>(location());
    std::string name = option("store", "MY");
    auto root = stores::FolderStore::open(where, "ROOT", false);
    auto my = stores::FolderStore::open(where, name, false);
    const std::string keyPassword = option("key-password", "");

    std::shared_ptr<crypt::PrivateKey> rootKey = crypt::generateRsaKey(2048);
    crypt::CertificatePtr rootCert =
        crypt::issueCertificate({"CN=Quillion2 Demo Root CA, O=Quillion2 Demo, C=ES", 3650, true,
                                 "keyCertSign,cRLSign", ""},
                                *rootKey, nullptr, nullptr);
    root->add(rootCert, nullptr, "");
    out_ << "ROOT: " << rootCert->subjectName() << "\n";

    std::shared_ptr<crypt::PrivateKey> signKey = crypt::generateRsaKey(2048);
    crypt::CertificatePtr signCert = crypt::issueCertificate(
        {"CN=Demo Firma, SERIALNUMBER=00000000T, O=Quillion2 Demo, C=ES", 730, false,
         "digitalSignature,nonRepudiation", "emailProtection,clientAuth"},
        *signKey, rootCert.get(), rootKey.get());
    my->add(signCert, signKey.get(), keyPassword);
    out_ << name << ": " << signCert->subjectName() << " (signing, with key)\n";

    std::shared_ptr<crypt::PrivateKey> encKey = crypt::generateRsaKey(2048);
    crypt::CertificatePtr encCert =
        crypt::issueCertificate({"CN=Demo Cifrado, O=Quillion2 Demo, C=ES", 730, false,
                                 "keyEncipherment", "emailProtection"},
                                *encKey, rootCert.get(), rootKey.get());
    my->add(encCert, encKey.get(), keyPassword);
    out_ << name << ": " << encCert->subjectName() << " (encryption, with key)\n";
    return 0;
}

} // namespace qncert

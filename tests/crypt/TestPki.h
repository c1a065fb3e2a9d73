#pragma once

#include <ctime>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/crypt/Certificate.h"
#include "platform/crypt/RsaKey.h"

namespace testpki {

// What a generated certificate looks like.
struct CertSpec {
    std::string subject;           // Windows order, e.g. "CN=Juan, O=ACME, C=ES"
    long notBeforeOffset = -86400; // seconds from now
    long notAfterOffset = 365L * 86400;
    std::string keyUsage; // e.g. "digitalSignature,nonRepudiation"; empty: no extension
    std::vector<std::string> extendedKeyUsage; // e.g. "emailProtection" or dotted OIDs
    std::string policies;                      // e.g. "1.3.6.1.4.1.99.1"
    bool ca = false;
    long serial = 1;
    bool subjectKeyId = true;
    bool utf8Names = true; // name values as UTF8String
};

struct Issued {
    platform::crypt::CertificatePtr certificate;
    std::shared_ptr<platform::crypt::PrivateKey> key;
};

// A fresh RSA key (2048 bits unless asked otherwise).
std::shared_ptr<platform::crypt::PrivateKey> newKey(int bits = 2048);
// A certificate as wanted, signed by issuer (self-signed when issuer is null), with key as its
// key (a new one when null).
Issued issue(const CertSpec& wanted, const Issued* issuer,
             std::shared_ptr<platform::crypt::PrivateKey> key = nullptr);

// A fresh temporary directory, exported as TMPDIR and QUILLION_HOME (home/ under it).
class TempHome {
public:
    TempHome();
    ~TempHome();
    TempHome(const TempHome&) = delete;
    TempHome& operator=(const TempHome&) = delete;
    const std::string& path() const { return path_; }
    std::string home() const { return path_ + "/home"; }

private:
    std::string path_;
};

void writeFile(const std::string& path, const std::string& bytes);
std::string readFile(const std::string& path);
// Runs a shell command, returns its exit status and (stdout + stderr) text.
int run(const std::string& command, std::string* output = nullptr);

} // namespace testpki

#include "platform/certificates/CertificateObject.h"

#include "platform/certificates/CertificateErrors.h"
#include "platform/crypt/CryptErrors.h"
#include "platform/ui/UserInteraction.h"
#include "stream/Base64.h"

namespace platform::certificates {

namespace {

std::string utcText(std::time_t t) {
    struct tm tm {};
    gmtime_r(&t, &tm);
    char buffer[32];
    std::strftime(buffer, sizeof buffer, "%Y-%m-%d %H:%M:%S UTC", &tm);
    return buffer;
}

} // namespace

CertificateObject::CertificateObject(crypt::CertificatePtr certificate)
    : certificate_(std::move(certificate)) {}

void CertificateObject::import(std::string_view encoded) {
    certificate_ = crypt::Certificate::fromEncoded(encoded);
}

const crypt::CertificatePtr& CertificateObject::certificate() const {
    if (!certificate_) {
        crypt::raiseCrypt(__FILE__, __LINE__, CAPICOM_E_CERTIFICATE_NOT_INITIALIZED);
    }
    return certificate_;
}

void CertificateObject::display() const {
    ui::current().viewCertificate(description());
}

std::string CertificateObject::subjectName() const {
    return certificate()->subjectName();
}

std::string CertificateObject::issuerName() const {
    return certificate()->issuerName();
}

std::string CertificateObject::serialNumber() const {
    return certificate()->serialNumber();
}

std::time_t CertificateObject::validFromDate() const {
    return certificate()->notBefore();
}

std::time_t CertificateObject::validToDate() const {
    return certificate()->notAfter();
}

bool CertificateObject::hasPrivateKey() const {
    return certificate()->hasPrivateKey();
}

std::vector<std::string> CertificateObject::extendedKeyUsage() const {
    return certificate()->extendedKeyUsage();
}

std::string CertificateObject::exportEncoded(ExportEncoding encoding) const {
    const std::vector<unsigned char>& der = certificate()->der();
    std::string bytes(der.begin(), der.end());
    if (encoding == ExportEncoding::Binary) {
        return bytes;
    }
    // Every line ends with a line break, the last one too.
    std::string out = stream::Base64::encodeLines(der.data(), der.size(), "\r\n");
    if (!out.empty()) {
        out += "\r\n";
    }
    return out;
}

std::vector<crypt::CertificateExtension> CertificateObject::extensions() const {
    return certificate()->extensions();
}

std::optional<crypt::KeyProviderInfo> CertificateObject::keyProviderInfo() const {
    const auto& provider = certificate()->keyProvider();
    if (!provider) {
        return std::nullopt;
    }
    return provider->info();
}

std::string CertificateObject::description() const {
    const crypt::CertificatePtr& c = certificate();
    return "Subject: " + c->subjectName() + "\nIssuer: " + c->issuerName() +
           "\nSerial number: " + c->serialNumber() + "\nValid from: " + utcText(c->notBefore()) +
           "\nValid to: " + utcText(c->notAfter()) +
           "\nPrivate key: " + (c->hasPrivateKey() ? "yes" : "no");
}

} // namespace platform::certificates

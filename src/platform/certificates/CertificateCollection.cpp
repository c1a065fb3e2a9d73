#include "platform/certificates/CertificateCollection.h"

#include <algorithm>
#include <cctype>
#include <ctime>

#include "platform/certificates/CertificateErrors.h"
#include "platform/crypt/CryptErrors.h"
#include "platform/ui/UserInteraction.h"

namespace platform::certificates {

namespace {

std::string lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

[[noreturn]] void invalidArgument() {
    crypt::raiseCrypt(__FILE__, __LINE__, E_INVALIDARG);
}

int32_t keyUsageOfName(const std::string& name) {
    static const std::pair<const char*, int32_t> names[] = {
        {"digitalsignature", key_usage::DIGITAL_SIGNATURE},
        {"nonrepudiation", key_usage::NON_REPUDIATION},
        {"keyencipherment", key_usage::KEY_ENCIPHERMENT},
        {"dataencipherment", key_usage::DATA_ENCIPHERMENT},
        {"keyagreement", key_usage::KEY_AGREEMENT},
        {"keycertsign", key_usage::KEY_CERT_SIGN},
        {"crlsign", key_usage::CRL_SIGN},
        {"encipheronly", key_usage::ENCIPHER_ONLY},
        {"decipheronly", key_usage::DECIPHER_ONLY},
    };
    std::string wanted = lower(name);
    for (const auto& [text, bits] : names) {
        if (wanted == text) {
            return bits;
        }
    }
    invalidArgument();
}

bool matches(const crypt::Certificate& c, FindType type, const FindCriterion& criterion) {
    switch (type) {
    case FindType::SubjectName:
    case FindType::IssuerName: {
        const std::string* text = std::get_if<std::string>(&criterion);
        if (text == nullptr) {
            invalidArgument();
        }
        std::string name = type == FindType::SubjectName ? c.subjectName() : c.issuerName();
        return lower(name).find(lower(*text)) != std::string::npos;
    }
    case FindType::Extension: {
        const std::string* oid = std::get_if<std::string>(&criterion);
        if (oid == nullptr) {
            invalidArgument();
        }
        return c.extension(*oid).has_value();
    }
    case FindType::KeyUsage: {
        int32_t wanted = std::holds_alternative<int32_t>(criterion)
                             ? std::get<int32_t>(criterion)
                             : keyUsageOfName(std::get<std::string>(criterion));
        return (keyUsageBits(c) & wanted) == wanted;
    }
    }
    invalidArgument();
}

} // namespace

int32_t keyUsageBits(const crypt::Certificate& certificate) {
    std::optional<std::vector<unsigned char>> value = certificate.extension("2.5.29.15");
    if (!value) {
        return 0xFFFF;
    }
    // BIT STRING: tag, length, unused-bit count, then one or two bytes.
    const std::vector<unsigned char>& v = *value;
    if (v.size() < 4 || v[0] != 0x03) {
        return 0;
    }
    int32_t bits = v[3];
    if (v.size() >= 5) {
        bits |= static_cast<int32_t>(v[4]) << 8;
    }
    return bits;
}

CertificateCollection::CertificateCollection(std::vector<CertificateObjectPtr> items)
    : items_(std::move(items)) {}

void CertificateCollection::add(CertificateObjectPtr certificate) {
    if (!certificate || certificate->empty()) {
        crypt::raiseCrypt(__FILE__, __LINE__, CAPICOM_E_CERTIFICATE_NOT_INITIALIZED);
    }
    items_.push_back(std::move(certificate));
}

void CertificateCollection::remove(int32_t position) {
    if (position < 1 || static_cast<size_t>(position) > items_.size()) {
        invalidArgument();
    }
    items_.erase(items_.begin() + (position - 1));
}

void CertificateCollection::clear() {
    items_.clear();
}

int32_t CertificateCollection::count() const {
    return static_cast<int32_t>(items_.size());
}

CertificateObjectPtr CertificateCollection::item(int32_t position) const {
    if (position < 1 || static_cast<size_t>(position) > items_.size()) {
        invalidArgument();
    }
    return items_[static_cast<size_t>(position - 1)];
}

std::shared_ptr<CertificateCollection>
CertificateCollection::find(FindType type, const FindCriterion& criterion, bool validOnly) const {
    std::time_t now = std::time(nullptr);
    std::vector<CertificateObjectPtr> found;
    for (const CertificateObjectPtr& item : items_) {
        const crypt::Certificate& c = *item->certificate();
        if (!matches(c, type, criterion)) {
            continue;
        }
        if (validOnly && (now < c.notBefore() || now > c.notAfter())) {
            continue;
        }
        found.push_back(item);
    }
    return std::make_shared<CertificateCollection>(std::move(found));
}

std::shared_ptr<CertificateCollection>
CertificateCollection::select(const std::string& title, const std::string& displayString,
                              bool multiSelect) const {
    std::vector<ui::CertificateRow> rows;
    rows.reserve(items_.size());
    for (const CertificateObjectPtr& item : items_) {
        const crypt::CertificatePtr& c = item->certificate();
        rows.push_back(
            {c->subjectName(), c->issuerName(), c->serialNumber(), c->notBefore(), c->notAfter()});
    }
    std::string heading = displayString.empty() ? title : title + " - " + displayString;
    std::optional<std::vector<size_t>> chosen =
        items_.empty() ? std::nullopt
                       : ui::current().chooseCertificates(heading, rows, multiSelect);
    if (!chosen) {
        crypt::raiseCrypt(__FILE__, __LINE__, CAPICOM_E_CANCELLED);
    }
    std::vector<CertificateObjectPtr> picked;
    for (size_t index : *chosen) {
        if (index >= items_.size()) {
            crypt::raiseCrypt(__FILE__, __LINE__, CAPICOM_E_CANCELLED);
        }
        picked.push_back(items_[index]);
        if (!multiSelect) {
            break;
        }
    }
    return std::make_shared<CertificateCollection>(std::move(picked));
}

} // namespace platform::certificates

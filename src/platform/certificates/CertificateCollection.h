#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "platform/certificates/CertificateObject.h"

namespace platform::certificates {

// Find types of the collection (CAPICOM's numbers).
enum class FindType : int32_t {
    SubjectName = 1,
    IssuerName = 2,
    Extension = 5,
    KeyUsage = 12,
};

// A Find criterion: text (names, extension OIDs, key usage names) or a number (key usage bits).
using FindCriterion = std::variant<std::string, int32_t>;

// Key usage bits of the first key usage byte, as CAPICOM numbers them.
namespace key_usage {
constexpr int32_t DIGITAL_SIGNATURE = 0x80;
constexpr int32_t NON_REPUDIATION = 0x40;
constexpr int32_t KEY_ENCIPHERMENT = 0x20;
constexpr int32_t DATA_ENCIPHERMENT = 0x10;
constexpr int32_t KEY_AGREEMENT = 0x08;
constexpr int32_t KEY_CERT_SIGN = 0x04;
constexpr int32_t CRL_SIGN = 0x02;
constexpr int32_t ENCIPHER_ONLY = 0x01;
constexpr int32_t DECIPHER_ONLY = 0x8000;
} // namespace key_usage

// The key usage of a certificate as a number of the bits above; every bit when the
// certificate has no key usage extension.
int32_t keyUsageBits(const crypt::Certificate& certificate);

// An ordered list of certificate objects (in place of CAPICOM.Certificates). Positions count
// from 1; a position out of range raises CryptException E_INVALIDARG (0x80070057).
class CertificateCollection {
public:
    CertificateCollection() = default;
    explicit CertificateCollection(std::vector<CertificateObjectPtr> items);

    void add(CertificateObjectPtr certificate);
    void remove(int32_t position);
    void clear();
    int32_t count() const;
    CertificateObjectPtr item(int32_t position) const;
    const std::vector<CertificateObjectPtr>& items() const noexcept { return items_; }

    // The certificates that match, in order, as a new collection. Subject and issuer names
    // match by case-insensitive substring of the rendered name; an extension by OID; a key
    // usage by all of the requested bits (a number, or a name such as "digitalSignature").
    // validOnly keeps only certificates valid now. An unknown type raises E_INVALIDARG.
    std::shared_ptr<CertificateCollection> find(FindType type, const FindCriterion& criterion,
                                                bool validOnly) const;
    // Shows the picker over this collection; the chosen certificates as a new collection.
    // A cancelled picker raises CryptException 0x80880902.
    std::shared_ptr<CertificateCollection>
    select(const std::string& title, const std::string& displayString, bool multiSelect) const;

private:
    std::vector<CertificateObjectPtr> items_;
};

using CertificateCollectionPtr = std::shared_ptr<CertificateCollection>;

} // namespace platform::certificates

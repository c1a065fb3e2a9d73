#pragma once

#include <ctime>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/crypt/KeyProvider.h"
#include "platform/crypt/NameString.h"
#include "platform/crypt/OpenSslHandles.h"
#include "platform/crypt/RsaKey.h"

namespace platform::crypt {

// One extension of a certificate: OID, criticality and the DER of its value.
struct CertificateExtension {
    std::string oid;
    bool critical = false;
    std::vector<unsigned char> value;
};

// A certificate context: the decoded certificate with the properties the component reads
// (key provider, property 2; key identifier, property 20; SHA-1 hash, property 3).
class Certificate {
public:
    // From DER; CRYPT_E_ASN1_BADTAG when the bytes are not a certificate.
    static std::shared_ptr<Certificate> fromDer(const unsigned char* data, size_t n);
    static std::shared_ptr<Certificate> fromDer(const std::vector<unsigned char>& der);
    // From DER bytes, a PEM block, or base-64 text (line breaks allowed).
    static std::shared_ptr<Certificate> fromEncoded(std::string_view encoded);
    explicit Certificate(X509Ptr x509);

    X509* x509() const noexcept { return x509_.get(); }
    const std::vector<unsigned char>& der() const noexcept { return der_; }
    std::string pem() const;

    std::vector<unsigned char> subjectDer() const;
    std::vector<unsigned char> issuerDer() const;
    // Names as the platform renders them: most specific attribute first, "MsSP3" names.
    std::string subjectName(uint32_t strType = name_str::X500 | name_str::REVERSE_FLAG) const;
    std::string issuerName(uint32_t strType = name_str::X500 | name_str::REVERSE_FLAG) const;
    // Serial number in upper-case hexadecimal, most significant byte first.
    std::string serialNumber() const;
    std::vector<unsigned char> serialBytes() const;
    std::time_t notBefore() const;
    std::time_t notAfter() const;
    std::vector<CertificateExtension> extensions() const;
    // Extension value by OID, nullopt when absent.
    std::optional<std::vector<unsigned char>> extension(const std::string& oid) const;
    std::vector<std::string> extendedKeyUsage() const;
    bool isSelfIssued() const;

    std::vector<unsigned char> sha1Hash() const;
    // The subject key identifier extension's bytes, else the SHA-1 of the public key bits.
    std::vector<unsigned char> keyIdentifier() const;
    PublicKey publicKey() const;

    // Key-provider property: present once a key is associated.
    void setKeyProvider(std::shared_ptr<KeyProvider> provider);
    std::shared_ptr<KeyProvider> keyProvider() const { return keyProvider_; }
    bool hasPrivateKey() const noexcept { return keyProvider_ != nullptr; }

    bool sameAs(const Certificate& other) const { return der_ == other.der_; }

private:
    X509Ptr x509_;
    std::vector<unsigned char> der_;
    std::shared_ptr<KeyProvider> keyProvider_;
};

using CertificatePtr = std::shared_ptr<Certificate>;

// All certificates of a PEM bundle or a single DER certificate; CRYPT_E_ASN1_BADTAG when the
// bytes hold none.
std::vector<CertificatePtr> readCertificates(std::string_view bytes);

// Seconds since the epoch of an ASN.1 time; ERROR_INVALID_DATA when unreadable.
std::time_t asn1TimeToEpoch(const ASN1_TIME* time);

} // namespace platform::crypt

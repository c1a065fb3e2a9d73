#pragma once

#include <ctime>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/crypt/Certificate.h"

namespace platform::certificates {

// Encodings of Export.
enum class ExportEncoding { Base64 = 0, Binary = 1 };

// The certificate object (in place of CAPICOM.Certificate): holds one certificate or none.
// Every query on an empty object raises CryptException 0x80880210.
class CertificateObject {
public:
    CertificateObject() = default;
    explicit CertificateObject(crypt::CertificatePtr certificate);

    // Replaces the certificate with an encoded one: base-64 text, PEM, or DER bytes carried
    // in the string. CRYPT_E_ASN1_BADTAG when it is none of those.
    void import(std::string_view encoded);
    // Shows the certificate through the user-interaction viewer.
    void display() const;

    bool empty() const noexcept { return certificate_ == nullptr; }
    const crypt::CertificatePtr& certificate() const;

    std::string subjectName() const;
    std::string issuerName() const;
    std::string serialNumber() const;
    std::time_t validFromDate() const;
    std::time_t validToDate() const;
    bool hasPrivateKey() const;
    std::vector<std::string> extendedKeyUsage() const;
    // Base-64 (CAPICOM's layout: lines of 64 characters ended by CR LF) or the DER bytes.
    std::string exportEncoded(ExportEncoding encoding) const;
    std::vector<crypt::CertificateExtension> extensions() const;
    // Property 2, the key-provider record, when a key is associated.
    std::optional<crypt::KeyProviderInfo> keyProviderInfo() const;

    // The text the viewer and the picker show.
    std::string description() const;

private:
    crypt::CertificatePtr certificate_;
};

using CertificateObjectPtr = std::shared_ptr<CertificateObject>;

} // namespace platform::certificates

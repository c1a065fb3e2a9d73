#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/crypt/Certificate.h"
#include "platform/crypt/KeyProvider.h"

namespace component::signing {

// Questions about PKCS#7 / CMS messages and certificates shared by the signers, the verifier
// and the envelopes. Every operation is static.
class CQNQuillionUtility {
public:
    CQNQuillionUtility() = delete;

    // The inner content of a DER ContentInfo: a view into the bytes given (the encoded content
    // field: for type data the value of its OCTET STRING, otherwise the whole encoding inside
    // [0]) and its type. Both empty when the bytes are not a ContentInfo.
    struct BareContent {
        const unsigned char* data = nullptr;
        size_t size = 0;
        std::string contentType;
        bool found() const noexcept { return !contentType.empty(); }
    };
    static BareContent extractBareContent(const unsigned char* data, size_t size);

    // The signing-time attribute (1.2.840.113549.1.9.5) with the current UTC time, DER encoded
    // as an Attribute: UTCTime for 1950-2049, GeneralizedTime otherwise.
    static std::vector<unsigned char> signingTimeAttribute();

    // The content type of a PKCS#7 / CMS message, "" when the bytes are no message or of a
    // type without a name here. Never raises.
    static std::string getMessageType(const unsigned char* data, size_t size, bool expectSigned);

    // A DER ContentInfo of (contentType, bytes); empty when contentType is not an identifier.
    // For type data the bytes are wrapped in an OCTET STRING, otherwise they are taken as the
    // encoding of the content itself.
    static std::vector<unsigned char> encodeContentInfo(const std::string& contentType,
                                                        const unsigned char* data, size_t size);

    // The first certificate of the current user's "MY" store with this issuer (DER Name) and
    // serial number (INTEGER value octets), or with this subject key identifier.
    static platform::crypt::CertificatePtr
    findCertificateInMyStore(const std::vector<unsigned char>& issuer,
                             const std::vector<unsigned char>& serialNumber);
    static platform::crypt::CertificatePtr
    findCertificateInMyStore(const std::vector<unsigned char>& keyIdentifier);

    // The key-provider record of a certificate of the "MY" store; -1 when it has none, else 0.
    static int GetCSPDesc(const platform::crypt::Certificate& certificate,
                          platform::crypt::KeyProviderInfo& description);
    // The key provider of a certificate of the "MY" store and its key kind (AT_KEYEXCHANGE or
    // AT_SIGNATURE); null when the certificate has no key there.
    static std::shared_ptr<platform::crypt::KeyProvider>
    createContextFromCertificate(const platform::crypt::Certificate& certificate,
                                 uint32_t& keySpec);
    // A context of the enhanced provider without a key container. This platform has no such
    // provider (keys live in the folder stores, public-key work needs no context): null.
    static std::shared_ptr<platform::crypt::KeyProvider> createEnhancedContext();
};

} // namespace component::signing

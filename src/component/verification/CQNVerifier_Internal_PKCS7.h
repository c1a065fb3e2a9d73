#pragma once

#include <vector>

#include "component/verification/CQNVerifier_Internal.h"
#include "platform/crypt/Certificate.h"
#include "platform/crypt/SignedDataParser.h"

namespace component::verification {

// The verifier of PKCS#7 / CMS signed data (DER or BER): every signer's signature, its
// certificate judged at the signing time, and the signed messages nested as content, one
// level deeper each. Detached messages are checked against the given content, or, with
// "SignFromHash" = "TRUE", against the Base64 digest of it.
class CQNVerifier_Internal_PKCS7 final : public CQNVerifier_Internal {
public:
    CQNVerifier_Internal_PKCS7();
    ~CQNVerifier_Internal_PKCS7() override;

    int verify(const unsigned char* message, size_t messageSize,
               const unsigned char* detachedContent, size_t detachedSize, bool detached,
               int level) override;
    com::ComPtr<QNVerifyStatus> getStatus(long index) override;
    stream::ByteBuffer getContent() override;
    int isDetached(const unsigned char* message, size_t messageSize) override;
    bool getSigners(const unsigned char* message, size_t messageSize, bool detached) override;

    // The source the failures of this verifier name.
    static constexpr char kSource[] = "ActiveX/src/QNVerifier_Internal_PKCS7";
    // Nested signed messages deeper than this are refused (CRYPT_E_MSG_ERROR).
    static constexpr int kMaxLevel = 32;

private:
    struct SignerOutcome {
        bool valid = false;
        platform::crypt::CertificatePtr certificate;
    };

    using Certificates = std::vector<platform::crypt::CertificatePtr>;

    int verifyMessage(const unsigned char* message, size_t messageSize,
                      platform::crypt::ByteView detached, int level);
    SignerOutcome verifyAttached(const platform::crypt::SignedDataParser& message,
                                 const Certificates& certificates, size_t index,
                                 QNVerifyStatus& status);
    SignerOutcome verifyDetached(const platform::crypt::SignedDataParser& message,
                                 const Certificates& certificates, size_t index,
                                 platform::crypt::ByteView detached, QNVerifyStatus& status);
    bool verifyByHash(const platform::crypt::SignerInfoView& signer,
                      const platform::crypt::Certificate& certificate,
                      platform::crypt::ByteView detached, QNVerifyStatus& status);
    int isDetachedAt(const unsigned char* message, size_t messageSize, int level);
    void keepContent(platform::crypt::ByteView content);

    std::vector<com::ComPtr<QNVerifyStatus>> statuses_;
    stream::ByteBuffer content_;
    platform::crypt::ByteView contentSource_;
};

} // namespace component::verification

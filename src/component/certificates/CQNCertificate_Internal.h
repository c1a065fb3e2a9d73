#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/certificates/CertificateObject.h"
#include "platform/crypt/Certificate.h"
#include "platform/crypt/KeyProvider.h"

namespace component::certificates {

// The certificate handle the signers, envelopes and verifiers use: the platform object (not
// owned), a certificate context of its own built from the DER, the key provider (null when
// the certificate has no key-provider property) and the key kind
// (AT_KEYEXCHANGE or AT_SIGNATURE).
class CQNCertificate_Internal {
public:
    // Raises CryptException when the context cannot be built.
    explicit CQNCertificate_Internal(const platform::certificates::CertificateObject& object);
    virtual ~CQNCertificate_Internal();
    CQNCertificate_Internal(const CQNCertificate_Internal&) = delete;
    CQNCertificate_Internal& operator=(const CQNCertificate_Internal&) = delete;

    const platform::crypt::Certificate& getCertContext() const { return *context_; }
    const platform::crypt::CertificatePtr& certContext() const { return context_; }
    const std::shared_ptr<platform::crypt::KeyProvider>& getProvider() const { return provider_; }
    uint32_t getKeySpec() const { return keySpec_; }
    // Property 20 of the context.
    std::vector<unsigned char> getKeyIdentifier() const;

private:
    const platform::certificates::CertificateObject& object_;
    platform::crypt::CertificatePtr context_;
    std::shared_ptr<platform::crypt::KeyProvider> provider_;
    uint32_t keySpec_ = 1;
};

} // namespace component::certificates

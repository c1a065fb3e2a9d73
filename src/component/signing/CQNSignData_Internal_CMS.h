#pragma once

#include <vector>

#include "component/signing/CQNSignData_Internal.h"
#include "platform/crypt/SignedDataEncoder.h"

namespace component::signing {

// CMS SignedData with the CAdES signed attributes (ESS signing certificate or signature
// policy). Settings read at call time: "HashAlgorithm", "SignFromHash", "CMSSignerType",
// "CADES_ADD_ESS_SIGNING_CERTIFICATE", "CADES_SIGNATURE_POLICY".
class CQNSignData_Internal_CMS : public CQNSignData_Internal {
public:
    stream::ByteBuffer sign(const unsigned char* content, size_t size,
                            const certificates::CQNCertificate_Internal& certificate,
                            bool detached) override;
    stream::ByteBuffer cosign(const unsigned char* signedContent, size_t signedSize,
                              const unsigned char* detachedContent, size_t detachedSize,
                              const certificates::CQNCertificate_Internal& certificate,
                              bool detached) override;

private:
    // The signer entry with its identifier and the supplied attributes (the policy value in
    // its signing or co-signing form).
    platform::crypt::SignerRequest
    describe(const certificates::CQNCertificate_Internal& certificate,
             const std::string& hashAlgorithm, bool forSign) const;
};

} // namespace component::signing

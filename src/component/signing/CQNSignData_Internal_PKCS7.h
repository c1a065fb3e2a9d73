#pragma once

#include "component/signing/CQNSignData_Internal.h"

namespace component::signing {

// PKCS#7 SignedData with one signer; co-signing adds a signer to an existing message.
// Settings read at call time: "HashAlgorithm", "SignFromHash".
class CQNSignData_Internal_PKCS7 : public CQNSignData_Internal {
public:
    stream::ByteBuffer sign(const unsigned char* content, size_t size,
                            const certificates::CQNCertificate_Internal& certificate,
                            bool detached) override;
    stream::ByteBuffer cosign(const unsigned char* signedContent, size_t signedSize,
                              const unsigned char* detachedContent, size_t detachedSize,
                              const certificates::CQNCertificate_Internal& certificate,
                              bool detached) override;
};

} // namespace component::signing

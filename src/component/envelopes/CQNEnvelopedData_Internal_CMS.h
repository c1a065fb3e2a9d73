#pragma once

#include "component/envelopes/CQNEnvelopedData_Internal.h"
#include "platform/crypt/EnvelopedDataDecoder.h"

namespace component::envelopes {

// CMS enveloped data: one key-transport recipient per certificate. Opening walks the
// recipients in order and opens the message with the first one whose certificate (with its
// key) is in the user's "MY" store: key-transport recipients the user cannot open are
// skipped; key-agreement recipients (EC certificates) are opened with the encrypted key that
// names the user's certificate.
class CQNEnvelopedData_Internal_CMS final : public CQNEnvelopedData_Internal {
public:
    stream::ByteBuffer encrypt(const unsigned char* content, size_t size,
                               IQNRecipients* recipients) override;
    std::optional<stream::ByteBuffer> decrypt(const unsigned char* content, size_t size) override;

    // The source the failures of this enveloper name, and the lines of its steps.
    static constexpr char kSource[] = "ActiveX/src/QNEnvelopedData_Internal_CMS";
    static constexpr int kLineLength = 210;
    static constexpr int kLineOpen = 222;
    static constexpr int kLineUpdate = 232;
    static constexpr int kLineDecode = 299;
    static constexpr int kLineRecipient = 342;
    static constexpr int kLineAgreementDecrypt = 434;
    static constexpr int kLineAgreementContext = 441;

private:
    std::optional<stream::ByteBuffer>
    openKeyTransport(platform::crypt::EnvelopedDataDecoder& decoder, size_t index,
                     const platform::crypt::EnvelopeRecipient& recipient);
    std::optional<stream::ByteBuffer>
    openKeyAgreement(platform::crypt::EnvelopedDataDecoder& decoder, size_t index,
                     const platform::crypt::EnvelopeRecipient& recipient);
};

} // namespace component::envelopes

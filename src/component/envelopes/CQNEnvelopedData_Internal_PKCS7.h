#pragma once

#include "component/envelopes/CQNEnvelopedData_Internal.h"

namespace component::envelopes {

// PKCS#7 enveloped data, or, when the "XMLEncryption" setting is "TRUE", an XML Encryption
// document (XmlEncryption). Opening walks the key-transport recipients in order and opens
// the message with the first one whose certificate is in the user's "MY" store; a failure
// with that certificate's key ends the walk.
class CQNEnvelopedData_Internal_PKCS7 final : public CQNEnvelopedData_Internal {
public:
    stream::ByteBuffer encrypt(const unsigned char* content, size_t size,
                               IQNRecipients* recipients) override;
    std::optional<stream::ByteBuffer> decrypt(const unsigned char* content, size_t size) override;

    // The source the failures of this enveloper name, and the lines of its steps.
    static constexpr char kSource[] = "ActiveX/src/QNEnvelopedData_Internal_PKCS7";
    static constexpr int kLineLength = 510;
    static constexpr int kLineOpen = 522;
    static constexpr int kLineUpdate = 532;
    static constexpr int kLineDecode = 604;
    static constexpr int kLineRecipient = 649;
    static constexpr int kLineDecrypt = 721;
    static constexpr int kLineContext = 733;
};

} // namespace component::envelopes

#pragma once

#include <cstddef>
#include <optional>

#include "component/envelopes/IQNRecipients.h"
#include "stream/ByteBuffer.h"

namespace component::envelopes {

// The enveloper a QNEnvelopedData owns, chosen by the crypto-system facade's mode. Failures
// leave as exceptions (the support library's family); QNEnvelopedData reports them.
class CQNEnvelopedData_Internal {
public:
    virtual ~CQNEnvelopedData_Internal() = default;

    // The envelope of the content for every certificate of recipients (null: none).
    virtual stream::ByteBuffer encrypt(const unsigned char* content, size_t size,
                                       IQNRecipients* recipients) = 0;
    // The content of an envelope, opened with a certificate of the user's "MY" store;
    // nullopt when no recipient of the message could be opened.
    virtual std::optional<stream::ByteBuffer> decrypt(const unsigned char* content,
                                                      size_t size) = 0;
    // The kind of recipient information the enveloper writes: 0, key transport, is the only
    // one, and nothing in the component sets another.
    virtual void setRecipientKind(int kind) { recipientKind_ = kind; }
    int recipientKind() const noexcept { return recipientKind_; }

    static constexpr int kKeyTransport = 0;

private:
    int recipientKind_ = kKeyTransport;
};

} // namespace component::envelopes

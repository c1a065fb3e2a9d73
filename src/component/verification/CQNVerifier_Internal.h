#pragma once

#include <cstddef>

#include "com/ComPtr.h"
#include "component/verification/QNVerifyStatus.h"
#include "stream/ByteBuffer.h"

namespace component::verification {

// The format work behind QNVerifier: one implementation per signature format, chosen by the
// crypto-system mode when the verifier is created. Failures are raised as exceptions
// (stream::exceptions::StreamException and its kinds, the XML libraries' own); a signature
// that does not verify is never an exception but a status and a result of 0.
class CQNVerifier_Internal {
public:
    virtual ~CQNVerifier_Internal() = default;

    // Verifies message (with detached content when it has none of its own) and appends one
    // status per signer; level is the nesting depth of message. The result is 1 when every
    // signer is valid (formats may define further values).
    virtual int verify(const unsigned char* message, size_t messageSize,
                       const unsigned char* detachedContent, size_t detachedSize, bool detached,
                       int level) = 0;
    // The status at index, null when index is negative or past the end.
    virtual com::ComPtr<QNVerifyStatus> getStatus(long index) = 0;
    // The signed content found by the last verify, handed over (the buffer is left empty).
    virtual stream::ByteBuffer getContent() = 0;
    // 1 when the message is detached, else 0.
    virtual int isDetached(const unsigned char* message, size_t messageSize) = 0;
    // Gathers the certificates carried in the message (no caller in the component).
    virtual bool getSigners(const unsigned char* message, size_t messageSize, bool detached) = 0;

protected:
    CQNVerifier_Internal() = default;
    CQNVerifier_Internal(const CQNVerifier_Internal&) = delete;
    CQNVerifier_Internal& operator=(const CQNVerifier_Internal&) = delete;
};

} // namespace component::verification

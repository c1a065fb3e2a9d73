#pragma once

#include <cstddef>

#include "component/certificates/CQNCertificate_Internal.h"
#include "stream/ByteBuffer.h"

namespace component::signing {

// One signature format behind QNSignData. Contents are views into the callers' buffers (they
// may be very large and are never copied just to be read); the result is the encoded
// signature or signed document, in a buffer the result content takes over. Failures are raised as
// exceptions.
class CQNSignData_Internal {
public:
    virtual ~CQNSignData_Internal() = default;

    virtual stream::ByteBuffer sign(const unsigned char* content, size_t size,
                                    const certificates::CQNCertificate_Internal& certificate,
                                    bool detached) = 0;
    virtual stream::ByteBuffer cosign(const unsigned char* signedContent, size_t signedSize,
                                      const unsigned char* detachedContent, size_t detachedSize,
                                      const certificates::CQNCertificate_Internal& certificate,
                                      bool detached) = 0;

    // The signing-time flag, set by QNSignData before every call.
    void setSigningTime(bool value) noexcept { signingTime_ = value; }
    bool signingTime() const noexcept { return signingTime_; }

protected:
    bool signingTime_ = false;
};

} // namespace component::signing

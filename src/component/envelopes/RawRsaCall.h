#pragma once

#include "com/IDispatch.h"

namespace component::envelopes {

// QNCryptoSystem.encrypt / decrypt: raw RSA (RawRsaCipher) of contentData's bytes with the
// key in contentKey's bytes, the result in a new QNContent. A missing content is an empty
// one; a missing key ends the call with E_FAIL and no error information after its ERROR
// line, the content untouched. Failures are reported for QNCryptoSystem with the
// exception's message and code.
enum class RawRsaDirection { Encrypt, Decrypt };

HRESULT rawRsaCall(RawRsaDirection direction, IDispatch* contentKey, IDispatch* contentData,
                   IDispatch** result) noexcept;

} // namespace component::envelopes

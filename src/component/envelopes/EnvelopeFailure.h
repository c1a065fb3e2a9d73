#pragma once

#include "com/Types.h"

namespace component::envelopes {

// Called inside a catch block of QNEnvelopedData: writes the ERROR line of the exception in
// flight and reports it for class QNEnvelopedData. Returns the HRESULT of the call.
//
// encrypt: a support-library exception goes out with its message and code.
HRESULT reportEncryptFailure() noexcept;
// decrypt: a CryptException 13 is a wrong password (QN_E_WRONG_PASSWORD), 1223 or NTE_FAIL a
// cancelled operation (QN_E_USER_CANCELLED), any other code an envelope failure
// (QN_E_ENVELOPE) with its message; another support-library exception goes out with its
// message and code.
HRESULT reportDecryptFailure() noexcept;

} // namespace component::envelopes

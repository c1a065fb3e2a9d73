#pragma once

#include "com/HResult.h"

namespace component::verification {

// Runs body (returning HRESULT) and reports what it raises as QNVerifier reports a failure
// of its internal verifier: support-library exceptions with their message and code (a
// positive code, a Win32 error number, negated), the XML libraries' exceptions and anything
// else with QN_E_OPERATION. With allKinds false (getStatus, getContent) a support-library
// exception keeps its code as it is, and anything else is an unexpected error.
HRESULT reportVerifierFailures(bool allKinds, const char* method, HRESULT (*body)(void*),
                               void* context) noexcept;

template <class Body>
HRESULT guardVerifier(bool allKinds, const char* method, Body&& body) noexcept {
    return reportVerifierFailures(
        allKinds, method, [](void* c) -> HRESULT { return (*static_cast<Body*>(c))(); }, &body);
}

} // namespace component::verification

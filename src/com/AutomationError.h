#pragma once

// The errors a late-bound caller reports, as JScript reports them: the HRESULT as a signed
// 32-bit number and a text (the error information's, or the system text of the code).

#include "com/IDispatch.h"

#include <string>

namespace com {

// "Automation server can't create object"
inline constexpr HRESULT kCannotCreateObject = static_cast<HRESULT>(0x800A01ADu);
// "Object doesn't support this property or method"
inline constexpr HRESULT kNoSuchMember = static_cast<HRESULT>(0x800A01B6u);
// "Type mismatch"
inline constexpr HRESULT kTypeMismatch = static_cast<HRESULT>(0x800A000Du);
// "Subscript out of range"
inline constexpr HRESULT kSubscriptOutOfRange = static_cast<HRESULT>(0x800A0009u);
// "VBArray expected"
inline constexpr HRESULT kVBArrayExpected = static_cast<HRESULT>(0x800A1395u);

struct AutomationError {
    HRESULT number = S_OK;
    std::u16string description;
};

// The text for an HRESULT that came back without error information.
std::u16string describeHResult(HRESULT hr);
// The error of a failed IDispatch::Invoke (DISP_E_EXCEPTION: from EXCEPINFO, whose strings
// are freed).
AutomationError invokeError(HRESULT hr, EXCEPINFO& excepInfo);

} // namespace com

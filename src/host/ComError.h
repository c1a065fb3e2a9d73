#pragma once

// JScript-style errors: an Error whose `number` is the HRESULT as a signed 32-bit number and
// whose `description` and `message` are the error text.

#include "com/Com.h"

#include <duktape.h>

#include <string>

namespace host {

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

// The text for an HRESULT that came back without error information.
std::u16string describeHResult(HRESULT hr);

// Pushes the error object (nothing is thrown).
void pushComError(duk_context* ctx, HRESULT number, const std::u16string& description);
// The error of a value too large to reach the script (a string longer than a script string
// can be): E_OUTOFMEMORY with its system text.
void pushOutOfMemory(duk_context* ctx);
// Pushes the error of a failed IDispatch::Invoke (DISP_E_EXCEPTION: from EXCEPINFO, whose
// strings are freed).
void pushInvokeError(duk_context* ctx, HRESULT hr, EXCEPINFO& excepInfo);

} // namespace host

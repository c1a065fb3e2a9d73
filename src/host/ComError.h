#pragma once

// JScript-style errors: an Error whose `number` is the HRESULT as a signed 32-bit number and
// whose `description` and `message` are the error text.

#include "com/AutomationError.h"
#include "com/Com.h"

#include <duktape.h>

#include <string>

namespace host {

using com::describeHResult;
using com::kCannotCreateObject;
using com::kNoSuchMember;
using com::kSubscriptOutOfRange;
using com::kTypeMismatch;
using com::kVBArrayExpected;

// Pushes the error object (nothing is thrown).
void pushComError(duk_context* ctx, HRESULT number, const std::u16string& description);
// The error of a value too large to reach the script (a string longer than a script string
// can be): E_OUTOFMEMORY with its system text.
void pushOutOfMemory(duk_context* ctx);
// Pushes the error of a failed IDispatch::Invoke (DISP_E_EXCEPTION: from EXCEPINFO, whose
// strings are freed).
void pushInvokeError(duk_context* ctx, HRESULT hr, EXCEPINFO& excepInfo);

} // namespace host

#pragma once

// JavaScript values <-> VARIANTs.
//   undefined <-> VT_EMPTY, null <-> VT_NULL, boolean <-> VT_BOOL, number <-> VT_I4 (integers
//   in range) / VT_R8 (and every integer and real type back), string <-> VT_BSTR (text, or a
//   binary string: one character per byte), Date <-> VT_DATE, wrapped object <-> VT_DISPATCH,
//   SAFEARRAY value / VBArray / Array -> VT_ARRAY, VT_ARRAY -> a SAFEARRAY value for VBArray.

#include "com/Com.h"

#include <duktape.h>

#include <string>

namespace host {

// Converts the value at `idx` into `out` (initialised). On failure returns the HRESULT for
// the script error (kTypeMismatch) and sets `error` to its text.
HRESULT toVariant(duk_context* ctx, duk_idx_t idx, bool binary, VARIANT* out,
                  std::u16string& error);
// Pushes the value of `v` (a BSTR as a binary string when `binary`). False, with nothing
// pushed, when a string is longer than a script string can be.
bool pushVariant(duk_context* ctx, const VARIANT& v, bool binary);
// The same for the result of a call, which the caller clears next: the storage of a BSTR
// result is reused for its conversion.
bool pushResult(duk_context* ctx, VARIANT& result, bool binary);

} // namespace host

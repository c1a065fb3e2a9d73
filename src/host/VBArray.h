#pragma once

// SAFEARRAY results and the VBArray object of JScript: a SAFEARRAY reaches the script as an
// opaque value that `new VBArray(x)` accepts; VBArray gives dimensions(), lbound(d),
// ubound(d), getItem(i, j, ...) and toArray() (elements in memory order, the first index
// varying fastest, as JScript gives them).

#include "com/Com.h"

#include <duktape.h>

namespace host {

void registerVBArray(duk_context* ctx);
// Pushes an opaque array value holding a copy of `array` (null pushes null).
void pushSafeArray(duk_context* ctx, SAFEARRAY* array);
// The array held by a SAFEARRAY value or a VBArray at `idx`, or null (borrowed).
SAFEARRAY* heldSafeArray(duk_context* ctx, duk_idx_t idx);

} // namespace host

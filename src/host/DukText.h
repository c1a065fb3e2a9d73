#pragma once

// Strings between Duktape and COM. Duktape keeps strings as (extended) CESU-8; every UTF-16
// unit is written as its own sequence, so JavaScript sees exactly the units of a BSTR
// (surrogates included) and reads them back unchanged.

#include "com/BStr.h"

#include <duktape.h>

#include <string>
#include <string_view>

namespace host {

// The UTF-16 units of the string at `idx` (which must be a string).
std::u16string toUtf16(duk_context* ctx, duk_idx_t idx);
// The same units in a new BSTR (null when out of memory).
BSTR toBstr(duk_context* ctx, duk_idx_t idx);
// Pushes text as a script string; false (nothing pushed) when it would be longer than a
// script string can be. `scratch`, when given, is storage of text.size() bytes or more that
// may be overwritten, the text's own included (a BSTR the caller frees next): all-ASCII text
// is narrowed there rather than into a new buffer.
bool pushUtf16(duk_context* ctx, std::u16string_view text, char* scratch = nullptr);
// A binary string: one character per byte (0..255). False when a character is above 255.
bool toBytes(duk_context* ctx, duk_idx_t idx, std::string& bytes);
// The same bytes in a new BSTR; `text` is null when out of memory.
bool toBinaryBstr(duk_context* ctx, duk_idx_t idx, BSTR& text);
// Pushes a binary string; false (nothing pushed) when it would be too long.
bool pushBytes(duk_context* ctx, std::string_view bytes);

} // namespace host

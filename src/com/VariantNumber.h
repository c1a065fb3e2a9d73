#pragma once

#include "com/Variant.h"

#include <cstdint>
#include <optional>
#include <variant>

namespace com {

// The number a VARIANT of a numeric type carries, in the widest type of its kind: signed
// integers (VT_I1, VT_I2, VT_I4, VT_INT, VT_I8, VT_ERROR) as int64, unsigned ones (VT_UI1,
// VT_UI2, VT_UI4, VT_UINT, VT_UI8) as uint64, VT_R4 and VT_R8 as double. Nothing for any
// other type (booleans, dates, strings, objects, arrays, references).
using VariantNumber = std::variant<std::int64_t, std::uint64_t, double>;
std::optional<VariantNumber> variantNumber(const VARIANT& v);

} // namespace com

#include "com/VariantNumber.h"

namespace com {

std::optional<VariantNumber> variantNumber(const VARIANT& v) {
    switch (v.vt) {
    case VT_I1:
        return std::int64_t{static_cast<signed char>(v.cVal)};
    case VT_I2:
        return std::int64_t{v.iVal};
    case VT_I4:
    case VT_INT:
        return std::int64_t{v.lVal};
    case VT_ERROR:
        return std::int64_t{v.scode};
    case VT_I8:
        return std::int64_t{v.llVal};
    case VT_UI1:
        return std::uint64_t{v.bVal};
    case VT_UI2:
        return std::uint64_t{v.uiVal};
    case VT_UI4:
    case VT_UINT:
        return std::uint64_t{v.ulVal};
    case VT_UI8:
        return std::uint64_t{v.ullVal};
    case VT_R4:
        return double{v.fltVal};
    case VT_R8:
        return double{v.dblVal};
    default:
        return std::nullopt;
    }
}

} // namespace com

#pragma once

#include "com/Variant.h"

// The scalar VARIANT types that hold a number (dates and booleans included): what
// VariantChangeType converts between and what a VARIANT may carry besides texts, errors and
// interfaces.
inline bool isNumericVariantType(VARTYPE vt) {
    switch (vt) {
    case VT_I1:
    case VT_I2:
    case VT_I4:
    case VT_I8:
    case VT_UI1:
    case VT_UI2:
    case VT_UI4:
    case VT_UI8:
    case VT_INT:
    case VT_UINT:
    case VT_R4:
    case VT_R8:
    case VT_DATE:
    case VT_BOOL:
        return true;
    default:
        return false;
    }
}

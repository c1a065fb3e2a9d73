#include "com/Variant.h"

#include "com/IDispatch.h"
#include "com/SafeArray.h"
#include "com/VariantTypes.h"

#include <cstring>
#include <new>
#include <utility>

namespace {

bool isSupportedScalar(VARTYPE vt) {
    switch (vt) {
    case VT_EMPTY:
    case VT_NULL:
    case VT_ERROR:
    case VT_BSTR:
    case VT_DISPATCH:
    case VT_UNKNOWN:
        return true;
    default:
        return isNumericVariantType(vt);
    }
}

bool isSupported(VARTYPE vt) {
    VARTYPE base = vt & VT_TYPEMASK;
    VARTYPE modifiers = vt & ~VT_TYPEMASK;
    if (modifiers & ~(VT_ARRAY | VT_BYREF)) {
        return false;
    }
    if (modifiers & VT_ARRAY) {
        return base == VT_VARIANT ||
               (isSupportedScalar(base) && base != VT_EMPTY && base != VT_NULL);
    }
    if (modifiers & VT_BYREF) {
        return base == VT_VARIANT ||
               (isSupportedScalar(base) && base != VT_EMPTY && base != VT_NULL);
    }
    return isSupportedScalar(base);
}

// Copies the value a VT_BYREF variant points to into `dest` (uninitialised).
HRESULT copyReferenced(VARIANT* dest, const VARIANT* src) {
    VARTYPE base = src->vt & ~VT_BYREF;
    if (!src->byref) {
        return E_INVALIDARG;
    }
    VARIANT plain;
    VariantInit(&plain);
    plain.vt = base;
    if (base & VT_ARRAY) {
        plain.parray = *src->pparray;
    } else {
        switch (base) {
        case VT_VARIANT:
            return VariantCopyInd(dest, src->pvarVal);
        case VT_I1:
        case VT_UI1:
            plain.bVal = *src->pbVal;
            break;
        case VT_I2:
        case VT_UI2:
        case VT_BOOL:
            plain.iVal = *src->piVal;
            break;
        case VT_I4:
        case VT_UI4:
        case VT_INT:
        case VT_UINT:
        case VT_ERROR:
            plain.lVal = *src->plVal;
            break;
        case VT_R4:
            plain.fltVal = *src->pfltVal;
            break;
        case VT_I8:
        case VT_UI8:
        case VT_R8:
        case VT_DATE:
            plain.llVal = *src->pllVal;
            break;
        case VT_BSTR:
            plain.bstrVal = *src->pbstrVal;
            break;
        case VT_DISPATCH:
        case VT_UNKNOWN:
            plain.punkVal = *src->ppunkVal;
            break;
        default:
            return DISP_E_BADVARTYPE;
        }
    }
    return VariantCopy(dest, &plain);
}

} // namespace

void VariantInit(VARIANTARG* v) {
    if (v) {
        std::memset(v, 0, sizeof(VARIANT));
        v->vt = VT_EMPTY;
    }
}

HRESULT VariantClear(VARIANTARG* v) {
    if (!v) {
        return E_INVALIDARG;
    }
    if (!isSupported(v->vt)) {
        return DISP_E_BADVARTYPE;
    }
    if (!(v->vt & VT_BYREF)) {
        if (v->vt & VT_ARRAY) {
            HRESULT hr = SafeArrayDestroy(v->parray);
            if (FAILED(hr)) {
                return hr;
            }
        } else if (v->vt == VT_BSTR) {
            SysFreeString(v->bstrVal);
        } else if ((v->vt == VT_DISPATCH || v->vt == VT_UNKNOWN) && v->punkVal) {
            v->punkVal->Release();
        }
    }
    VariantInit(v);
    return S_OK;
}

HRESULT VariantCopy(VARIANTARG* dest, const VARIANTARG* src) {
    if (!dest || !src) {
        return E_INVALIDARG;
    }
    if (dest == src) {
        return S_OK;
    }
    if (!isSupported(src->vt)) {
        return DISP_E_BADVARTYPE;
    }
    HRESULT hr = VariantClear(dest);
    if (FAILED(hr)) {
        return hr;
    }
    VARIANT copy = *src;
    if (!(src->vt & VT_BYREF)) {
        if (src->vt & VT_ARRAY) {
            hr = SafeArrayCopy(src->parray, &copy.parray);
            if (FAILED(hr)) {
                return hr;
            }
        } else if (src->vt == VT_BSTR && src->bstrVal) {
            copy.bstrVal = SysAllocStringByteLen(reinterpret_cast<const char*>(src->bstrVal),
                                                 SysStringByteLen(src->bstrVal));
            if (!copy.bstrVal) {
                return E_OUTOFMEMORY;
            }
        } else if ((src->vt == VT_DISPATCH || src->vt == VT_UNKNOWN) && src->punkVal) {
            src->punkVal->AddRef();
        }
    }
    *dest = copy;
    return S_OK;
}

HRESULT VariantCopyInd(VARIANT* dest, const VARIANTARG* src) {
    if (!dest || !src) {
        return E_INVALIDARG;
    }
    if (!(src->vt & VT_BYREF)) {
        return VariantCopy(dest, src);
    }
    if (!isSupported(src->vt)) {
        return DISP_E_BADVARTYPE;
    }
    VARIANT result;
    VariantInit(&result);
    HRESULT hr = copyReferenced(&result, src);
    if (FAILED(hr)) {
        return hr;
    }
    if (dest != src) {
        VariantClear(dest);
    }
    *dest = result;
    return S_OK;
}

namespace com {

Variant::Variant(const Variant& other) {
    VariantInit(&value_);
    if (FAILED(VariantCopy(&value_, &other.value_))) {
        throw std::bad_alloc();
    }
}

Variant& Variant::operator=(const Variant& other) {
    if (this != &other) {
        Variant copy(other);
        std::swap(value_, copy.value_);
    }
    return *this;
}

Variant::Variant(Variant&& other) noexcept : value_(other.value_) {
    VariantInit(&other.value_);
}

Variant& Variant::operator=(Variant&& other) noexcept {
    if (this != &other) {
        VariantClear(&value_);
        value_ = other.value_;
        VariantInit(&other.value_);
    }
    return *this;
}

Variant::Variant(const VARIANT& copyOf) {
    VariantInit(&value_);
    if (FAILED(VariantCopy(&value_, &copyOf))) {
        throw std::bad_alloc();
    }
}

Variant Variant::fromText(std::u16string_view text) {
    return fromBstr(BStr(text).detach());
}

Variant Variant::fromUtf8(std::string_view utf8) {
    return fromBstr(BStr::fromUtf8(utf8).detach());
}

Variant Variant::fromBytes(std::string_view bytes) {
    return fromBstr(BStr::fromBytes(bytes).detach());
}

Variant Variant::fromBstr(BSTR adopted) {
    Variant v;
    v.value_.vt = VT_BSTR;
    v.value_.bstrVal = adopted;
    return v;
}

Variant Variant::fromLong(LONG value) {
    Variant v;
    v.value_.vt = VT_I4;
    v.value_.lVal = value;
    return v;
}

Variant Variant::fromULong(ULONG value) {
    Variant v;
    v.value_.vt = VT_UI4;
    v.value_.ulVal = value;
    return v;
}

Variant Variant::fromDouble(double value) {
    Variant v;
    v.value_.vt = VT_R8;
    v.value_.dblVal = value;
    return v;
}

Variant Variant::fromDate(DATE value) {
    Variant v;
    v.value_.vt = VT_DATE;
    v.value_.date = value;
    return v;
}

Variant Variant::fromBool(bool value) {
    Variant v;
    v.value_.vt = VT_BOOL;
    v.value_.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
    return v;
}

Variant Variant::fromDispatch(IDispatch* value) {
    Variant v;
    v.value_.vt = VT_DISPATCH;
    v.value_.pdispVal = value;
    if (value) {
        value->AddRef();
    }
    return v;
}

Variant Variant::fromUnknown(IUnknown* value) {
    Variant v;
    v.value_.vt = VT_UNKNOWN;
    v.value_.punkVal = value;
    if (value) {
        value->AddRef();
    }
    return v;
}

Variant Variant::fromArray(SAFEARRAY* adopted, VARTYPE elementType) {
    Variant v;
    v.value_.vt = static_cast<VARTYPE>(VT_ARRAY | elementType);
    v.value_.parray = adopted;
    return v;
}

Variant Variant::null() {
    Variant v;
    v.value_.vt = VT_NULL;
    return v;
}

Variant Variant::missing() {
    Variant v;
    v.value_.vt = VT_ERROR;
    v.value_.scode = DISP_E_PARAMNOTFOUND;
    return v;
}

VARIANT* Variant::out() {
    VariantClear(&value_);
    return &value_;
}

void Variant::detach(VARIANT* target) {
    *target = value_;
    VariantInit(&value_);
}

bool Variant::isMissing() const {
    return isMissingArgument(&value_);
}

HRESULT Variant::changeType(VARTYPE vt, Variant& result, USHORT flags) const {
    return VariantChangeType(result.out(), &value_, flags, vt);
}

bool isMissingArgument(const VARIANT* v) {
    return v && v->vt == VT_ERROR && v->scode == DISP_E_PARAMNOTFOUND;
}

} // namespace com

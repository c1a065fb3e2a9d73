#include "host/Values.h"

#include "com/VariantNumber.h"
#include "host/ComError.h"
#include "host/DispatchWrapper.h"
#include "host/DukText.h"
#include "host/VBArray.h"

#include <cmath>
#include <limits>
#include <optional>
#include <variant>

namespace host {

namespace {

// [value] -> [bool]: value instanceof Date (protected: the script may have replaced Date).
duk_ret_t isDateProtected(duk_context* ctx, void*) {
    duk_get_global_string(ctx, "Date");
    duk_bool_t is = duk_is_function(ctx, -1) && duk_instanceof(ctx, -2, -1);
    duk_push_boolean(ctx, is);
    return 1;
}

// [array index] -> [element]
duk_ret_t getIndexProtected(duk_context* ctx, void*) {
    duk_get_prop(ctx, -2);
    return 1;
}

// [array] -> [length]; a Proxy's trap may throw, which must not unwind through C++ frames.
duk_ret_t getLengthProtected(duk_context* ctx, void*) {
    duk_push_number(ctx, static_cast<double>(duk_get_length(ctx, -1)));
    return 1;
}

bool isDate(duk_context* ctx, duk_idx_t idx) {
    duk_dup(ctx, idx);
    bool result = duk_safe_call(ctx, isDateProtected, nullptr, 1, 1) == DUK_EXEC_SUCCESS &&
                  duk_get_boolean(ctx, -1);
    duk_pop(ctx);
    return result;
}

// The time value of the Date at `idx` (NaN when it cannot be read).
double dateMillis(duk_context* ctx, duk_idx_t idx) {
    idx = duk_normalize_index(ctx, idx);
    duk_push_string(ctx, "getTime");
    double millis = std::numeric_limits<double>::quiet_NaN();
    if (duk_pcall_prop(ctx, idx, 0) == DUK_EXEC_SUCCESS && duk_is_number(ctx, -1)) {
        millis = duk_get_number(ctx, -1);
    }
    duk_pop(ctx);
    return millis;
}

HRESULT mismatch(std::u16string& error) {
    error = describeHResult(kTypeMismatch);
    return kTypeMismatch;
}

HRESULT arrayToVariant(duk_context* ctx, duk_idx_t idx, VARIANT* out, std::u16string& error) {
    duk_dup(ctx, idx);
    if (duk_safe_call(ctx, getLengthProtected, nullptr, 1, 1) != DUK_EXEC_SUCCESS) {
        duk_pop(ctx);
        return mismatch(error);
    }
    double reported = duk_get_number(ctx, -1);
    duk_pop(ctx);
    if (!(reported >= 0 && reported <= 0x7FFFFFFF)) {
        return mismatch(error);
    }
    duk_size_t length = static_cast<duk_size_t>(reported);
    SAFEARRAY* psa = SafeArrayCreateVector(VT_VARIANT, 0, static_cast<ULONG>(length));
    if (!psa) {
        error = describeHResult(E_OUTOFMEMORY);
        return E_OUTOFMEMORY;
    }
    for (duk_size_t i = 0; i < length; ++i) {
        duk_dup(ctx, idx);
        duk_push_uint(ctx, static_cast<duk_uint_t>(i));
        if (duk_safe_call(ctx, getIndexProtected, nullptr, 2, 1) != DUK_EXEC_SUCCESS) {
            duk_pop(ctx);
            SafeArrayDestroy(psa);
            return mismatch(error);
        }
        VARIANT element;
        VariantInit(&element);
        HRESULT hr = toVariant(ctx, -1, false, &element, error);
        duk_pop(ctx);
        if (SUCCEEDED(hr)) {
            LONG index = static_cast<LONG>(i);
            hr = SafeArrayPutElement(psa, &index, &element);
        }
        VariantClear(&element);
        if (FAILED(hr)) {
            SafeArrayDestroy(psa);
            if (error.empty()) {
                error = describeHResult(hr);
            }
            return hr;
        }
    }
    out->vt = VT_ARRAY | VT_VARIANT;
    out->parray = psa;
    return S_OK;
}

} // namespace

HRESULT toVariant(duk_context* ctx, duk_idx_t idx, bool binary, VARIANT* out,
                  std::u16string& error) {
    VariantClear(out);
    idx = duk_normalize_index(ctx, idx);
    switch (duk_get_type(ctx, idx)) {
    case DUK_TYPE_NONE:
    case DUK_TYPE_UNDEFINED:
        return S_OK;
    case DUK_TYPE_NULL:
        out->vt = VT_NULL;
        return S_OK;
    case DUK_TYPE_BOOLEAN:
        out->vt = VT_BOOL;
        out->boolVal = duk_get_boolean(ctx, idx) ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    case DUK_TYPE_NUMBER: {
        double d = duk_get_number(ctx, idx);
        if (std::isfinite(d) && d == std::trunc(d) && d >= -2147483648.0 && d <= 2147483647.0 &&
            !(d == 0 && std::signbit(d))) {
            out->vt = VT_I4;
            out->lVal = static_cast<LONG>(d);
        } else {
            out->vt = VT_R8;
            out->dblVal = d;
        }
        return S_OK;
    }
    case DUK_TYPE_STRING: {
        if (duk_is_symbol(ctx, idx)) {
            return mismatch(error);
        }
        BSTR text = nullptr;
        if (binary) {
            if (!toBinaryBstr(ctx, idx, text)) {
                error = u"Type mismatch: a binary string holds characters 0 to 255 only";
                return kTypeMismatch;
            }
        } else {
            text = toBstr(ctx, idx);
        }
        if (!text) {
            error = describeHResult(E_OUTOFMEMORY);
            return E_OUTOFMEMORY;
        }
        out->vt = VT_BSTR;
        out->bstrVal = text;
        return S_OK;
    }
    case DUK_TYPE_OBJECT: {
        if (IDispatch* dispatch = wrappedDispatch(ctx, idx)) {
            dispatch->AddRef();
            out->vt = VT_DISPATCH;
            out->pdispVal = dispatch;
            return S_OK;
        }
        if (SAFEARRAY* held = heldSafeArray(ctx, idx)) {
            SAFEARRAY* copy = nullptr;
            VARTYPE vt = VT_VARIANT;
            SafeArrayGetVartype(held, &vt);
            HRESULT hr = SafeArrayCopy(held, &copy);
            if (FAILED(hr)) {
                error = describeHResult(hr);
                return hr;
            }
            out->vt = static_cast<VARTYPE>(VT_ARRAY | vt);
            out->parray = copy;
            return S_OK;
        }
        if (isDate(ctx, idx)) {
            auto date = com::dateFromUnixMillis(dateMillis(ctx, idx));
            if (!date) {
                return mismatch(error);
            }
            out->vt = VT_DATE;
            out->date = *date;
            return S_OK;
        }
        if (duk_is_array(ctx, idx)) {
            return arrayToVariant(ctx, idx, out, error);
        }
        return mismatch(error);
    }
    default:
        return mismatch(error);
    }
}

bool pushVariant(duk_context* ctx, const VARIANT& source, bool binary) {
    VARIANT deref;
    VariantInit(&deref);
    const VARIANT* v = &source;
    if (source.vt & VT_BYREF) {
        if (FAILED(VariantCopyInd(&deref, &source))) {
            duk_push_undefined(ctx);
            return true;
        }
        v = &deref;
    }
    if (v->vt & VT_ARRAY) {
        pushSafeArray(ctx, v->parray);
        VariantClear(&deref);
        return true;
    }
    bool pushed = true;
    if (std::optional<com::VariantNumber> number = com::variantNumber(*v)) {
        duk_push_number(ctx, std::visit([](auto n) { return static_cast<double>(n); }, *number));
        VariantClear(&deref);
        return true;
    }
    switch (v->vt) {
    case VT_EMPTY:
        duk_push_undefined(ctx);
        break;
    case VT_NULL:
        duk_push_null(ctx);
        break;
    case VT_BOOL:
        duk_push_boolean(ctx, v->boolVal != 0);
        break;
    case VT_DATE: {
        auto millis = com::dateToUnixMillis(v->date);
        duk_get_global_string(ctx, "Date");
        duk_push_number(ctx, millis ? *millis : std::numeric_limits<double>::quiet_NaN());
        if (duk_pnew(ctx, 1) != DUK_EXEC_SUCCESS) {
            duk_pop(ctx);
            duk_push_undefined(ctx);
        }
        break;
    }
    case VT_BSTR:
        if (binary) {
            pushed = pushBytes(ctx, std::string_view(reinterpret_cast<const char*>(v->bstrVal),
                                                     SysStringByteLen(v->bstrVal)));
        } else {
            pushed = pushUtf16(ctx, std::u16string_view(v->bstrVal, SysStringLen(v->bstrVal)));
        }
        break;
    case VT_DISPATCH:
        pushDispatch(ctx, v->pdispVal);
        break;
    case VT_UNKNOWN: {
        IDispatch* dispatch = nullptr;
        if (v->punkVal && SUCCEEDED(v->punkVal->QueryInterface(
                              IID_IDispatch, reinterpret_cast<void**>(&dispatch)))) {
            pushDispatch(ctx, dispatch);
            dispatch->Release();
        } else {
            duk_push_null(ctx);
        }
        break;
    }
    default:
        duk_push_undefined(ctx);
        break;
    }
    VariantClear(&deref);
    return pushed;
}

bool pushResult(duk_context* ctx, VARIANT& result, bool binary) {
    if (result.vt == VT_BSTR && !binary && result.bstrVal != nullptr) {
        return pushUtf16(ctx, std::u16string_view(result.bstrVal, SysStringLen(result.bstrVal)),
                         reinterpret_cast<char*>(result.bstrVal));
    }
    return pushVariant(ctx, result, binary);
}

} // namespace host

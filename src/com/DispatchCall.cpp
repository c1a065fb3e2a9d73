#include "com/DispatchCall.h"

namespace com {

DispatchCall::DispatchCall(const DispatchMember& member, DISPPARAMS* params, VARIANT* result,
                           UINT* argErr)
    : member_(member), params_(params), result_(result), argErr_(argErr) {}

HRESULT DispatchCall::validate() const {
    const UINT named = params_->cNamedArgs;
    const UINT total = params_->cArgs;
    if (named > total || (total > 0 && !params_->rgvarg) ||
        (named > 0 && !params_->rgdispidNamedArgs)) {
        return E_INVALIDARG;
    }
    const bool put = member_.kind == MemberKind::PropertyPut;
    if (put) {
        bool found = false;
        for (UINT i = 0; i < named; ++i) {
            if (params_->rgdispidNamedArgs[i] == DISPID_PROPERTYPUT) {
                found = true;
            } else {
                return DISP_E_NONAMEDARGS;
            }
        }
        if (!found) {
            return DISP_E_PARAMNOTFOUND;
        }
    } else if (named > 0) {
        return DISP_E_NONAMEDARGS;
    }
    const UINT positional = total - named;
    const UINT declared = member_.argumentCount() - (put ? 1 : 0);
    UINT required = member_.requiredCount();
    if (put && required > declared) {
        required = declared;
    }
    if (positional > declared || positional < required) {
        return DISP_E_BADPARAMCOUNT;
    }
    return S_OK;
}

int DispatchCall::slotOf(UINT index) const {
    const UINT named = params_->cNamedArgs;
    const UINT total = params_->cArgs;
    const bool put = member_.kind == MemberKind::PropertyPut;
    if (index >= member_.argumentCount()) {
        return -1;
    }
    if (put && index + 1 == member_.argumentCount()) {
        for (UINT i = 0; i < named; ++i) {
            if (params_->rgdispidNamedArgs[i] == DISPID_PROPERTYPUT) {
                return static_cast<int>(i);
            }
        }
        return -1;
    }
    const UINT positional = total - named;
    if (index >= positional) {
        return -1;
    }
    return static_cast<int>(total - 1 - index);
}

VARIANT* DispatchCall::argument(UINT index) const {
    int slot = slotOf(index);
    if (slot < 0) {
        return nullptr;
    }
    VARIANT* v = &params_->rgvarg[slot];
    if (isMissingArgument(v)) {
        return nullptr;
    }
    return v;
}

HRESULT DispatchCall::coerce(UINT index, VARTYPE vt, VARIANT* target) {
    VariantClear(target);
    VARIANT* source = argument(index);
    const ParamInfo& param = member_.params[index];
    if (!source) {
        if (param.isOptional()) {
            return S_FALSE;
        }
        return fail(index, DISP_E_PARAMNOTOPTIONAL);
    }
    HRESULT hr = vt == VT_VARIANT ? VariantCopyInd(target, source)
                                  : VariantChangeType(target, source, 0, vt);
    if (FAILED(hr)) {
        VariantClear(target);
        return fail(index, hr == DISP_E_OVERFLOW || hr == E_OUTOFMEMORY ? hr : DISP_E_TYPEMISMATCH);
    }
    return S_OK;
}

HRESULT DispatchCall::fail(UINT index, HRESULT hr) {
    if (!failed_) {
        failed_ = true;
        int slot = slotOf(index);
        if (argErr_ && slot >= 0) {
            *argErr_ = static_cast<UINT>(slot);
        }
    }
    return hr;
}

} // namespace com

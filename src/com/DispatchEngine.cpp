#include "com/DispatchImpl.h"

namespace com {

namespace {

char16_t lower(char16_t c) {
    return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c;
}

bool sameName(const char* name, std::u16string_view other) {
    std::size_t i = 0;
    for (; name[i] != 0; ++i) {
        if (i >= other.size() ||
            lower(static_cast<char16_t>(static_cast<unsigned char>(name[i]))) != lower(other[i])) {
            return false;
        }
    }
    return i == other.size();
}

// Fills EXCEPINFO from the thread's error information; false when there is none.
bool takeErrorInfo(HRESULT hr, EXCEPINFO* excepInfo) {
    ComPtr<IErrorInfo> info;
    if (GetErrorInfo(0, info.out()) != S_OK || !info) {
        return false;
    }
    if (!excepInfo) {
        SetErrorInfo(0, info.get()); // left for the caller to pick up
        return false;
    }
    *excepInfo = EXCEPINFO{};
    info->GetSource(&excepInfo->bstrSource);
    info->GetDescription(&excepInfo->bstrDescription);
    info->GetHelpFile(&excepInfo->bstrHelpFile);
    info->GetHelpContext(&excepInfo->dwHelpContext);
    excepInfo->scode = hr;
    return true;
}

} // namespace

const DispatchMember* DispatchTable::find(DISPID dispid, MemberKind kind) const {
    for (UINT i = 0; i < count; ++i) {
        if (members[i].dispid == dispid && members[i].kind == kind) {
            return &members[i];
        }
    }
    return nullptr;
}

const DispatchMember* DispatchTable::findByName(std::u16string_view name) const {
    for (UINT i = 0; i < count; ++i) {
        if (sameName(members[i].name, name)) {
            return &members[i];
        }
    }
    return nullptr;
}

HRESULT dispatchGetIDsOfNames(const DispatchTable& table, REFIID riid, LPOLESTR* names, UINT count,
                              DISPID* ids) {
    if (!IsEqualIID(riid, IID_NULL)) {
        return DISP_E_UNKNOWNINTERFACE;
    }
    if (count == 0) {
        return S_OK;
    }
    if (!names || !ids) {
        return E_POINTER;
    }
    HRESULT hr = S_OK;
    for (UINT i = 0; i < count; ++i) {
        ids[i] = DISPID_UNKNOWN;
    }
    if (!names[0]) {
        return DISP_E_UNKNOWNNAME;
    }
    const DispatchMember* member = table.findByName(names[0]);
    if (!member) {
        return DISP_E_UNKNOWNNAME;
    }
    ids[0] = member->dispid;
    if (count > 1) {
        hr = DISP_E_UNKNOWNNAME; // parameter names are not looked up
    }
    return hr;
}

HRESULT dispatchInvoke(const DispatchTable& table, IDispatch* object, ISupportErrorInfo* errorInfo,
                       DISPID dispid, REFIID riid, WORD flags, DISPPARAMS* params, VARIANT* result,
                       EXCEPINFO* excepInfo, UINT* argErr) {
    if (!IsEqualIID(riid, IID_NULL)) {
        return DISP_E_UNKNOWNINTERFACE;
    }
    if (!params) {
        return E_INVALIDARG;
    }
    const DispatchMember* member = nullptr;
    if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
        member = table.find(dispid, MemberKind::PropertyPut);
    } else {
        if (flags & DISPATCH_METHOD) {
            member = table.find(dispid, MemberKind::Method);
        }
        if (!member && (flags & DISPATCH_PROPERTYGET)) {
            member = table.find(dispid, MemberKind::PropertyGet);
        }
    }
    if (!member) {
        return DISP_E_MEMBERNOTFOUND;
    }
    DispatchCall call(*member, params, result, argErr);
    HRESULT hr = call.validate();
    if (FAILED(hr)) {
        return hr;
    }
    if (result) {
        VariantClear(result);
    }
    SetErrorInfo(0, nullptr);
    hr = member->invoke(static_cast<void*>(object), *member, call);
    if (SUCCEEDED(hr)) {
        return hr;
    }
    bool reported = errorInfo && errorInfo->InterfaceSupportsErrorInfo(table.iid) == S_OK;
    if (reported && takeErrorInfo(hr, excepInfo)) {
        return DISP_E_EXCEPTION;
    }
    return hr;
}

void clearExcepInfo(EXCEPINFO* info) {
    if (!info) {
        return;
    }
    SysFreeString(info->bstrSource);
    SysFreeString(info->bstrDescription);
    SysFreeString(info->bstrHelpFile);
    *info = EXCEPINFO{};
}

} // namespace com

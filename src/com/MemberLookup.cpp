#include "com/MemberLookup.h"

namespace com {

namespace {

char lowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
}

std::u16string lowered(const std::u16string& s) {
    std::u16string out = s;
    for (char16_t& c : out) {
        if (c >= u'A' && c <= u'Z') {
            c = static_cast<char16_t>(c + 32);
        }
    }
    return out;
}

} // namespace

const DispatchMember* ResolvedMember::signatureFor(WORD flags) const {
    if (flags & DISPATCH_PROPERTYPUT) {
        return put;
    }
    return method ? method : get;
}

bool sameMemberName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (lowerAscii(a[i]) != lowerAscii(b[i])) {
            return false;
        }
    }
    return true;
}

bool isBinaryParam(const DispatchMember* member, UINT index) {
    return member && index < member->paramCount && member->params[index].isBinary();
}

bool hasBinaryResult(const DispatchMember* member) {
    const ParamInfo* retval = member ? member->retval() : nullptr;
    return retval && retval->isBinary();
}

MemberLookup::MemberLookup(IDispatch* dispatch) : dispatch_(dispatch) {
    UINT count = 0;
    if (dispatch && SUCCEEDED(dispatch->GetTypeInfoCount(&count)) && count > 0) {
        ITypeInfo* info = nullptr;
        if (SUCCEEDED(dispatch->GetTypeInfo(0, LOCALE_USER_DEFAULT, &info)) && info) {
            typeInfo_ = ComPtr<ITypeInfo>::attach(info);
        }
    }
}

std::optional<ResolvedMember> MemberLookup::lookup(const std::u16string& name) {
    std::u16string key = lowered(name);
    if (auto it = cache_.find(key); it != cache_.end()) {
        return it->second;
    }
    if (!dispatch_) {
        return std::nullopt;
    }
    std::u16string copy = name;
    LPOLESTR names[1] = {copy.data()};
    DISPID dispid = DISPID_UNKNOWN;
    if (FAILED(dispatch_->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &dispid))) {
        return std::nullopt;
    }
    ResolvedMember m;
    m.dispid = dispid;
    if (typeInfo_) {
        UINT count = 0;
        typeInfo_->GetMemberCount(&count);
        for (UINT i = 0; i < count; ++i) {
            const DispatchMember* member = nullptr;
            if (FAILED(typeInfo_->GetMember(i, &member)) || !member || member->dispid != dispid) {
                continue;
            }
            m.typed = true;
            switch (member->kind) {
            case MemberKind::Method:
                m.method = member;
                break;
            case MemberKind::PropertyGet:
                m.get = member;
                break;
            case MemberKind::PropertyPut:
                m.put = member;
                break;
            }
        }
    }
    cache_.emplace(key, m);
    return m;
}

} // namespace com

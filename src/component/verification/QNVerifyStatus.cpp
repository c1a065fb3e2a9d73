#include "component/verification/QNVerifyStatus.h"

#include "com/BStr.h"
#include "component/content/BstrText.h"

namespace component::verification {

namespace {

constexpr com::DispatchMember kMembers[] = {
    com::propget<&IQNVerifyStatus::get_signerCertificate>("signerCertificate", 1),
    com::propput<&IQNVerifyStatus::put_signerCertificate>("signerCertificate", 1),
    com::propget<&IQNVerifyStatus::get_idError>("idError", 2),
    com::propput<&IQNVerifyStatus::put_idError>("idError", 2),
    com::propget<&IQNVerifyStatus::get_errorDescription>("errorDescription", 3),
    com::propput<&IQNVerifyStatus::put_errorDescription>("errorDescription", 3),
    com::propget<&IQNVerifyStatus::get_level>("level", 4),
    com::propput<&IQNVerifyStatus::put_level>("level", 4),
};

constexpr com::DispatchTable kTable{IQNVerifyStatus::iid, "IQNVerifyStatus", kMembers,
                                    sizeof(kMembers) / sizeof(kMembers[0])};

} // namespace

const com::DispatchTable& QNVerifyStatus::dispatchTable() {
    return kTable;
}

HRESULT QNVerifyStatus::get_signerCertificate(IDispatch** certificate) {
    if (certificate == nullptr) {
        return E_POINTER;
    }
    *certificate = certificate_.get();
    if (*certificate != nullptr) {
        (*certificate)->AddRef();
    }
    return S_OK;
}

HRESULT QNVerifyStatus::put_signerCertificate(IDispatch* certificate) {
    certificate_ = com::ComPtr<IDispatch>(certificate);
    return S_OK;
}

HRESULT QNVerifyStatus::get_idError(LONG* code) {
    if (code == nullptr) {
        return E_POINTER;
    }
    *code = idError_;
    return S_OK;
}

HRESULT QNVerifyStatus::put_idError(LONG code) {
    idError_ = code;
    return S_OK;
}

HRESULT QNVerifyStatus::get_errorDescription(BSTR* text) {
    if (text == nullptr) {
        return E_POINTER;
    }
    *text = com::allocBstr(platform::system::Charset::fromAnsi(description_));
    return *text == nullptr ? E_OUTOFMEMORY : S_OK;
}

HRESULT QNVerifyStatus::put_errorDescription(BSTR text) {
    description_ = content::ansiOf(text);
    return S_OK;
}

HRESULT QNVerifyStatus::get_level(LONG* level) {
    if (level == nullptr) {
        return E_POINTER;
    }
    *level = level_;
    return S_OK;
}

HRESULT QNVerifyStatus::put_level(LONG level) {
    level_ = level;
    return S_OK;
}

} // namespace component::verification

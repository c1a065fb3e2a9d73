#pragma once

#include "com/IDispatch.h"
#include "component/module/ClassInfo.h"

namespace component::verification {

// The dual interface of QNVerifyStatus, in dispatch-id order: every property can be read and
// written.
struct IQNVerifyStatus : IDispatch {
    static constexpr IID iid = module::kQNVerifyStatus.iid;
    virtual HRESULT get_signerCertificate(IDispatch** certificate) = 0; // 1
    virtual HRESULT put_signerCertificate(IDispatch* certificate) = 0;  // 1
    virtual HRESULT get_idError(LONG* code) = 0;                        // 2
    virtual HRESULT put_idError(LONG code) = 0;                         // 2
    virtual HRESULT get_errorDescription(BSTR* text) = 0;               // 3
    virtual HRESULT put_errorDescription(BSTR text) = 0;                // 3
    virtual HRESULT get_level(LONG* level) = 0;                         // 4
    virtual HRESULT put_level(LONG level) = 0;                          // 4

protected:
    ~IQNVerifyStatus() = default;
};

} // namespace component::verification

#pragma once

#include "com/IDispatch.h"
#include "component/module/ClassInfo.h"

namespace component::verification {

// The dual interface of QNVerifier, in dispatch-id order.
struct IQNVerifier : IDispatch {
    static constexpr IID iid = module::kQNVerifier.iid;
    virtual HRESULT verify(IDispatch* signedMessage, IDispatch* detachedContent, LONG detached,
                           LONG* verifyResult) = 0;                   // 1
    virtual HRESULT getStatus(LONG index, IDispatch** status) = 0;    // 2
    virtual HRESULT getContent(IDispatch** content) = 0;              // 3
    virtual HRESULT isDetached(IDispatch* pkcs7, LONG* detached) = 0; // 4

protected:
    ~IQNVerifier() = default;
};

} // namespace component::verification

#pragma once

#include "com/IDispatch.h"
#include "component/module/ClassInfo.h"

namespace component::signing {

// The dual interface of QNSignData, in dispatch-id order.
struct IQNSignData : IDispatch {
    static constexpr IID iid = module::kQNSignData.iid;
    virtual HRESULT sign(IDispatch* content, IDispatch* certificate, LONG detached,
                         IDispatch** signedContent) = 0; // 1
    virtual HRESULT cosign(IDispatch* signedContent, IDispatch* detachedContent,
                           IDispatch* certificate, LONG detached,
                           IDispatch** cosignedContent) = 0; // 3
    virtual HRESULT get_timeStamp(LONG* value) = 0;          // 4
    virtual HRESULT put_timeStamp(LONG value) = 0;           // 4

protected:
    ~IQNSignData() = default;
};

} // namespace component::signing

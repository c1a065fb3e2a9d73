#pragma once

#include "com/IDispatch.h"
#include "component/module/ClassInfo.h"

namespace component::envelopes {

// The dual interface of QNEnvelopedData, in dispatch-id order.
struct IQNEnvelopedData : IDispatch {
    static constexpr IID iid = module::kQNEnvelopedData.iid;
    virtual HRESULT encrypt(IDispatch* content, IDispatch* recipients,
                            IDispatch** encrypted) = 0;                     // 1
    virtual HRESULT decrypt(IDispatch* content, IDispatch** decrypted) = 0; // 2

protected:
    ~IQNEnvelopedData() = default;
};

} // namespace component::envelopes

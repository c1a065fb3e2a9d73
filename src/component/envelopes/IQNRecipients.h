#pragma once

#include "com/IDispatch.h"
#include "component/module/ClassInfo.h"

namespace component::envelopes {

// The dual interface of QNRecipients, in dispatch-id order.
struct IQNRecipients : IDispatch {
    static constexpr IID iid = module::kQNRecipients.iid;
    virtual HRESULT setRecipient(IDispatch* certificate) = 0;  // 1
    virtual HRESULT getRecipients(IDispatch** recipients) = 0; // 2

protected:
    ~IQNRecipients() = default;
};

} // namespace component::envelopes

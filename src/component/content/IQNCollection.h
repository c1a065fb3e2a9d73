#pragma once

#include "com/IDispatch.h"
#include "component/module/ClassInfo.h"

namespace component::content {

// The dual interface of QNCollection.
struct IQNCollection : IDispatch {
    static constexpr IID iid = module::kQNCollection.iid;
    virtual HRESULT get_Item(LONG index, VARIANT* item) = 0; // 1
    virtual HRESULT get_Count(LONG* count) = 0;              // 2

protected:
    ~IQNCollection() = default;
};

} // namespace component::content

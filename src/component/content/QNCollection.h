#pragma once

#include "com/DispatchObject.h"
#include "component/content/CCollection.h"
#include "component/content/IQNCollection.h"

namespace component::content {

// The scriptable read-only list. The creating classes fill it in process:
//
//     com::ComPtr<QNCollection> list = QNCollection::create();
//     list->collection().append(com::Variant::fromBool(true));
//     *result = list.detach();   // as IQNCollection* / IDispatch*
class QNCollection final : public com::DispatchObject<QNCollection, IQNCollection> {
public:
    QNCollection() = default;

    static const com::DispatchTable& dispatchTable();

    CCollection& collection() noexcept { return collection_; }

    HRESULT get_Item(LONG index, VARIANT* item) override;
    HRESULT get_Count(LONG* count) override;

private:
    CCollection collection_;
};

} // namespace component::content

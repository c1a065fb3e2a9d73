#include "component/content/QNCollection.h"

#include "component/module/ErrorCodes.h"
#include "component/module/ErrorReport.h"

namespace component::content {

using module::ErrorReport;

namespace {

constexpr com::DispatchMember kMembers[] = {
    com::propget<&IQNCollection::get_Item>("Item", 1),
    com::propget<&IQNCollection::get_Count>("Count", 2),
};

constexpr com::DispatchTable kTable{IQNCollection::iid, "IQNCollection", kMembers,
                                    sizeof(kMembers) / sizeof(kMembers[0])};

} // namespace

const com::DispatchTable& QNCollection::dispatchTable() {
    return kTable;
}

HRESULT QNCollection::get_Item(LONG index, VARIANT* item) {
    return ErrorReport::guard(module::kQNCollection, "CCollection", "get_Item", [&] {
        if (item == nullptr) {
            return E_POINTER;
        }
        if (!collection_.item(index, item)) {
            return ErrorReport::report(module::kQNCollection, "Indice incorrecto.",
                                       module::QN_E_BAD_INDEX);
        }
        return S_OK;
    });
}

HRESULT QNCollection::get_Count(LONG* count) {
    if (count == nullptr) {
        return E_POINTER;
    }
    *count = collection_.count();
    return S_OK;
}

} // namespace component::content

#include "com/DispatchImpl.h"
#include "com/UnknownImpl.h"

#include <new>

namespace com {

namespace {

// The member list of one dispatch table; keeps the object it describes alive, and with it
// the module that holds the table.
class TableTypeInfo final : public UnknownImpl<TableTypeInfo, ITypeInfo> {
public:
    TableTypeInfo(const DispatchTable& table, IUnknown* owner) : table_(table), owner_(owner) {}

    HRESULT GetInterfaceId(IID* iid) override {
        if (!iid) {
            return E_POINTER;
        }
        *iid = table_.iid;
        return S_OK;
    }
    HRESULT GetMemberCount(UINT* count) override {
        if (!count) {
            return E_POINTER;
        }
        *count = table_.count;
        return S_OK;
    }
    HRESULT GetMember(UINT index, const DispatchMember** member) override {
        if (!member) {
            return E_POINTER;
        }
        *member = nullptr;
        if (index >= table_.count) {
            return TYPE_E_ELEMENTNOTFOUND;
        }
        *member = &table_.members[index];
        return S_OK;
    }

private:
    ~TableTypeInfo() override = default;
    friend class UnknownImpl<TableTypeInfo, ITypeInfo>;
    const DispatchTable& table_;
    ComPtr<IUnknown> owner_;
};

} // namespace

HRESULT createTypeInfo(const DispatchTable& table, IUnknown* owner, ITypeInfo** result) {
    if (!result) {
        return E_POINTER;
    }
    *result = nullptr;
    auto* info = new (std::nothrow) TableTypeInfo(table, owner);
    if (!info) {
        return E_OUTOFMEMORY;
    }
    info->AddRef();
    *result = info;
    return S_OK;
}

} // namespace com

#include "component/content/CCollection.h"

#include <string>

#include "component/module/ComponentError.h"
#include "component/module/ModuleLog.h"

namespace component::content {

CCollection::CCollection() {
    module::logTrace("CCollection::CCollection: " + std::to_string(module::addressNumber(this)));
}

CCollection::~CCollection() {
    module::logTrace("CCollection::~CCollection: " + std::to_string(module::addressNumber(this)));
}

void CCollection::append(const VARIANT& value) {
    com::Variant copy;
    HRESULT hr = VariantCopy(copy.get(), &value);
    if (FAILED(hr)) {
        throw module::PlatformError(hr, "VariantCopy");
    }
    items_.push_back(std::move(copy));
}

bool CCollection::item(LONG index, VARIANT* result) const {
    if (index < 0 || static_cast<size_t>(index) >= items_.size()) {
        return false;
    }
    VariantInit(result);
    HRESULT hr = VariantCopy(result, items_[static_cast<size_t>(index)].get());
    if (FAILED(hr)) {
        throw module::PlatformError(hr, "VariantCopy");
    }
    return true;
}

} // namespace component::content

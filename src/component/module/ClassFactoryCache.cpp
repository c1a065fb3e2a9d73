#include "component/module/ClassFactoryCache.h"

namespace component::module {

ClassFactoryCache& ClassFactoryCache::instance() {
    static ClassFactoryCache cache;
    return cache;
}

HRESULT ClassFactoryCache::getClassObject(REFCLSID clsid, REFIID riid, void** ppv) {
    if (ppv == nullptr) {
        return E_POINTER;
    }
    *ppv = nullptr;
    size_t row = findClass(clsid);
    if (row == kClassCount || classTable()[row].makeFactory == nullptr) {
        return CLASS_E_CLASSNOTAVAILABLE;
    }
    IClassFactory* factory;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (factories_[row] == nullptr) {
            factories_[row] = classTable()[row].makeFactory();
            if (factories_[row] == nullptr) {
                return E_OUTOFMEMORY;
            }
        }
        factory = factories_[row];
        factory->AddRef();
    }
    HRESULT hr = factory->QueryInterface(riid, ppv);
    factory->Release();
    return hr;
}

void ClassFactoryCache::releaseAll() noexcept {
    std::array<IClassFactory*, kClassCount> released{};
    {
        std::lock_guard<std::mutex> lock(mutex_);
        released.swap(factories_);
    }
    for (IClassFactory* factory : released) {
        if (factory != nullptr) {
            factory->Release();
        }
    }
}

} // namespace component::module

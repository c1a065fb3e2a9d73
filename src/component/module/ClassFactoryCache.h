#pragma once

#include <array>
#include <mutex>

#include "com/IClassFactory.h"
#include "component/module/ClassTable.h"

namespace component::module {

// One class factory per row of the class table, created on first request and kept until
// the module is detached. A lock makes sure two threads create only one factory per row.
class ClassFactoryCache {
public:
    static ClassFactoryCache& instance();

    // DllGetClassObject: E_POINTER for a null ppv; CLASS_E_CLASSNOTAVAILABLE for a class
    // that is not in the table or not built; E_OUTOFMEMORY; else the factory's answer to
    // QueryInterface(riid).
    HRESULT getClassObject(REFCLSID clsid, REFIID riid, void** ppv);
    // Releases every cached factory.
    void releaseAll() noexcept;

private:
    std::mutex mutex_;
    std::array<IClassFactory*, kClassCount> factories_{};
};

} // namespace component::module

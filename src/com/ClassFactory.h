#pragma once

// A class factory for a class built on DispatchObject: CreateInstance follows the rules of
// DispatchObject::createInstance (E_POINTER, CLASS_E_NOAGGREGATION, E_OUTOFMEMORY, the object
// destroyed when QueryInterface fails); LockServer adds or removes one module lock.
// The factory itself holds no module lock, so a cached factory does not keep the module in.

#include "com/IClassFactory.h"
#include "com/ModuleLock.h"
#include "com/UnknownImpl.h"

#include <new>

namespace com {

template <class Object>
class ClassFactory final : public UnknownImpl<ClassFactory<Object>, IClassFactory> {
public:
    HRESULT CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override {
        return Object::createInstance(outer, riid, ppv);
    }
    HRESULT LockServer(BOOL lock) override {
        if (lock) {
            lockModule();
        } else {
            unlockModule();
        }
        return S_OK;
    }

    // A new factory with one reference (null when out of memory).
    static IClassFactory* make() {
        auto* factory = new (std::nothrow) ClassFactory();
        if (factory) {
            factory->AddRef();
        }
        return factory;
    }

private:
    friend class UnknownImpl<ClassFactory<Object>, IClassFactory>;
    ClassFactory() = default;
    ~ClassFactory() override = default;
};

} // namespace com

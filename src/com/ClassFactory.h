#pragma once

// A class factory for a class built on DispatchObject: CreateInstance follows the rules of
// DispatchObject::createInstance (E_POINTER, CLASS_E_NOAGGREGATION, E_OUTOFMEMORY, the object
// destroyed when QueryInterface fails); LockServer adds or removes one module lock.
// The factory itself holds no module lock, so a cached factory does not keep the module in.

#include "com/IClassFactory.h"
#include "com/ModuleLock.h"

#include <atomic>

namespace com {

template <class Object> class ClassFactory final : public IClassFactory {
public:
    HRESULT QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) {
            return E_POINTER;
        }
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IClassFactory)) {
            AddRef();
            *ppv = static_cast<IClassFactory*>(this);
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    ULONG AddRef() override { return refs_.fetch_add(1) + 1; }
    ULONG Release() override {
        ULONG left = refs_.fetch_sub(1) - 1;
        if (left == 0) {
            delete this;
        }
        return left;
    }
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
    ClassFactory() = default;
    ~ClassFactory() = default;
    std::atomic<ULONG> refs_{0};
};

} // namespace com

#pragma once

// IUnknown for small runtime objects that are neither aggregatable nor scriptable (class
// factories, error information, type information): an atomic count and QueryInterface over
// the listed interfaces (the first one answers IID_IUnknown).
//
//   class ErrorInfoObject final : public com::UnknownImpl<ErrorInfoObject, IErrorInfo,
//                                                         ICreateErrorInfo> { ... };

#include "com/IUnknown.h"

#include <atomic>
#include <type_traits>

namespace com {

template <class Derived, class First, class... Rest>
class UnknownImpl : public First, public Rest... {
public:
    HRESULT QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) {
            return E_POINTER;
        }
        *ppv = nullptr;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, First::iid)) {
            *ppv = static_cast<First*>(this);
        } else {
            ((!*ppv && IsEqualIID(riid, Rest::iid) ? (*ppv = static_cast<Rest*>(this)) : nullptr),
             ...);
        }
        if (!*ppv) {
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    ULONG AddRef() override { return refs_.fetch_add(1) + 1; }
    ULONG Release() override {
        ULONG left = refs_.fetch_sub(1) - 1;
        if (left == 0) {
            delete static_cast<Derived*>(this);
        }
        return left;
    }

protected:
    UnknownImpl() = default;
    virtual ~UnknownImpl() = default;

private:
    std::atomic<ULONG> refs_{0};
};

} // namespace com

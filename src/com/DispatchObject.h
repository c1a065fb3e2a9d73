#pragma once

// The object frame of a scriptable class (ATL-like):
//
//   class QNContent final : public com::DispatchObject<QNContent, IQNContent> {
//   public:
//       static const com::DispatchTable& dispatchTable();   // the table of IQNContent
//       HRESULT saveFile(BSTR path) override;
//       ...
//   };
//
// It implements IUnknown (atomic reference count; aggregation through an inner,
// non-delegating unknown), the dual interface's IDispatch over the class's dispatch table,
// ISupportErrorInfo (S_OK for the table's IID only) and IObjectSafety (supported options 3,
// a per-object options word starting at 0). Every live object holds one lock of its module
// (com::moduleLockCount, see ModuleLock.h).
//
// A class answering more interfaces derives from them as well, defines
//     void* queryExtraInterface(REFIID riid);   // the interface pointer, or null
// and forwards QueryInterface / AddRef / Release to DispatchObject's (the extra bases have
// IUnknown slots of their own).
//
// Objects are created with createInstance (class factories, aggregation) or create (sibling
// objects inside the module).

#include "com/ComPtr.h"
#include "com/DispatchImpl.h"
#include "com/ErrorInfo.h"
#include "com/IDispatch.h"
#include "com/ModuleLock.h"
#include "com/ObjectSafety.h"

#include <atomic>
#include <new>

namespace com {

template <class Derived, class Interface>
class DispatchObject : public Interface, public ISupportErrorInfo, public IObjectSafety {
public:
    // Creates an object, plain (outer null) or aggregated by `outer` (then riid must be
    // IID_IUnknown, else CLASS_E_NOAGGREGATION), and returns QueryInterface(riid); the
    // object is destroyed when that fails. E_POINTER for a null ppv, E_OUTOFMEMORY when
    // the object cannot be allocated.
    template <class... Args>
    static HRESULT createInstance(IUnknown* outer, REFIID riid, void** ppv, Args&&... args) {
        if (!ppv) {
            return E_POINTER;
        }
        *ppv = nullptr;
        if (outer && !IsEqualIID(riid, IID_IUnknown)) {
            return CLASS_E_NOAGGREGATION;
        }
        Derived* object = nullptr;
        try {
            object = new Derived(std::forward<Args>(args)...);
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        } catch (...) {
            return E_FAIL;
        }
        if (outer) {
            object->outer_ = outer;
        }
        object->inner_.AddRef();
        HRESULT hr = object->inner_.QueryInterface(riid, ppv);
        object->inner_.Release(); // destroys the object when the query failed
        return hr;
    }

    // A new plain object for use inside the module (throws std::bad_alloc).
    template <class... Args> static ComPtr<Derived> create(Args&&... args) {
        Derived* object = new Derived(std::forward<Args>(args)...);
        return ComPtr<Derived>(object);
    }

    // IUnknown: delegates to the controlling unknown (the outer object when aggregated).
    HRESULT QueryInterface(REFIID riid, void** ppv) override {
        return outer_->QueryInterface(riid, ppv);
    }
    ULONG AddRef() override { return outer_->AddRef(); }
    ULONG Release() override { return outer_->Release(); }

    // IDispatch
    HRESULT GetTypeInfoCount(UINT* pctinfo) override {
        if (!pctinfo) {
            return E_POINTER;
        }
        *pctinfo = 1;
        return S_OK;
    }
    HRESULT GetTypeInfo(UINT iTInfo, LCID, ITypeInfo** ppTInfo) override {
        if (!ppTInfo) {
            return E_POINTER;
        }
        *ppTInfo = nullptr;
        if (iTInfo != 0) {
            return DISP_E_BADINDEX;
        }
        return createTypeInfo(Derived::dispatchTable(), outer_, ppTInfo);
    }
    HRESULT GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        return dispatchGetIDsOfNames(Derived::dispatchTable(), riid, names, count, ids);
    }
    HRESULT Invoke(DISPID dispid, REFIID riid, LCID, WORD flags, DISPPARAMS* params,
                   VARIANT* result, EXCEPINFO* excepInfo, UINT* argErr) override {
        return dispatchInvoke(Derived::dispatchTable(), static_cast<Interface*>(this),
                              static_cast<ISupportErrorInfo*>(this), dispid, riid, flags, params,
                              result, excepInfo, argErr);
    }

    // ISupportErrorInfo
    HRESULT InterfaceSupportsErrorInfo(REFIID riid) override {
        return IsEqualIID(riid, Derived::dispatchTable().iid) ? S_OK : S_FALSE;
    }

    // IObjectSafety
    HRESULT GetInterfaceSafetyOptions(REFIID riid, DWORD* supported, DWORD* enabled) override {
        if (!supported || !enabled) {
            return E_POINTER;
        }
        IUnknown* probe = nullptr;
        HRESULT hr = QueryInterface(riid, reinterpret_cast<void**>(&probe));
        if (FAILED(hr)) {
            *supported = 0;
            *enabled = 0;
            return hr;
        }
        probe->Release();
        *supported = INTERFACESAFE_FOR_UNTRUSTED_CALLER | INTERFACESAFE_FOR_UNTRUSTED_DATA;
        *enabled = safetyOptions_.load();
        return S_OK;
    }
    HRESULT SetInterfaceSafetyOptions(REFIID riid, DWORD mask, DWORD enabled) override {
        IUnknown* probe = nullptr;
        if (FAILED(QueryInterface(riid, reinterpret_cast<void**>(&probe)))) {
            return E_NOINTERFACE;
        }
        probe->Release();
        if ((mask & ~(INTERFACESAFE_FOR_UNTRUSTED_CALLER | INTERFACESAFE_FOR_UNTRUSTED_DATA)) !=
            0) {
            return E_FAIL;
        }
        DWORD current = safetyOptions_.load();
        safetyOptions_.store((current & ~mask) | (mask & enabled));
        return S_OK;
    }

    // The controlling unknown (the outer object when aggregated).
    IUnknown* controllingUnknown() const { return outer_; }
    // The object's own, non-delegating unknown.
    IUnknown* innerUnknown() { return &inner_; }

protected:
    DispatchObject() { lockModule(); }
    virtual ~DispatchObject() { unlockModule(); }
    DispatchObject(const DispatchObject&) = delete;
    DispatchObject& operator=(const DispatchObject&) = delete;

private:
    class InnerUnknown final : public IUnknown {
    public:
        explicit InnerUnknown(DispatchObject* owner) : owner_(owner) {}
        HRESULT QueryInterface(REFIID riid, void** ppv) override {
            return owner_->innerQueryInterface(riid, ppv);
        }
        ULONG AddRef() override { return owner_->refs_.fetch_add(1) + 1; }
        ULONG Release() override {
            ULONG left = owner_->refs_.fetch_sub(1) - 1;
            if (left == 0) {
                delete static_cast<Derived*>(owner_);
            }
            return left;
        }

    private:
        DispatchObject* owner_;
    };

    HRESULT innerQueryInterface(REFIID riid, void** ppv) {
        if (!ppv) {
            return E_POINTER;
        }
        *ppv = nullptr;
        IUnknown* answer = nullptr;
        if (IsEqualIID(riid, IID_IUnknown)) {
            answer = &inner_;
        } else if (IsEqualIID(riid, IID_IDispatch) || IsEqualIID(riid, Interface::iid)) {
            answer = static_cast<Interface*>(this);
        } else if (IsEqualIID(riid, IID_ISupportErrorInfo)) {
            answer = static_cast<ISupportErrorInfo*>(this);
        } else if (IsEqualIID(riid, IID_IObjectSafety)) {
            answer = static_cast<IObjectSafety*>(this);
        } else if constexpr (requires(Derived & d) { d.queryExtraInterface(riid); }) {
            answer = static_cast<IUnknown*>(static_cast<Derived*>(this)->queryExtraInterface(riid));
        }
        if (!answer) {
            return E_NOINTERFACE;
        }
        answer->AddRef();
        *ppv = answer;
        return S_OK;
    }

    InnerUnknown inner_{this};
    IUnknown* outer_ = &inner_;
    std::atomic<ULONG> refs_{0};
    std::atomic<DWORD> safetyOptions_{0};
};

} // namespace com

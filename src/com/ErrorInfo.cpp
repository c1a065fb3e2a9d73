#include "com/ErrorInfo.h"

#include "com/ComPtr.h"
#include "com/UnknownImpl.h"

#include <atomic>
#include <mutex>
#include <new>
#include <string>

namespace {

// The error-information object of CreateErrorInfo: IErrorInfo and ICreateErrorInfo over
// the same fields.
class ErrorInfoObject final
    : public com::UnknownImpl<ErrorInfoObject, IErrorInfo, ICreateErrorInfo> {
public:
    HRESULT GetGUID(GUID* guid) override {
        if (!guid) {
            return E_INVALIDARG;
        }
        std::lock_guard lock(mutex_);
        *guid = guid_;
        return S_OK;
    }
    HRESULT GetSource(BSTR* out) override { return give(source_, out); }
    HRESULT GetDescription(BSTR* out) override { return give(description_, out); }
    HRESULT GetHelpFile(BSTR* out) override { return give(helpFile_, out); }
    HRESULT GetHelpContext(DWORD* context) override {
        if (!context) {
            return E_INVALIDARG;
        }
        std::lock_guard lock(mutex_);
        *context = helpContext_;
        return S_OK;
    }

    HRESULT SetGUID(REFGUID guid) override {
        std::lock_guard lock(mutex_);
        guid_ = guid;
        return S_OK;
    }
    HRESULT SetSource(LPOLESTR text) override { return take(source_, text); }
    HRESULT SetDescription(LPOLESTR text) override { return take(description_, text); }
    HRESULT SetHelpFile(LPOLESTR text) override { return take(helpFile_, text); }
    HRESULT SetHelpContext(DWORD context) override {
        std::lock_guard lock(mutex_);
        helpContext_ = context;
        return S_OK;
    }

private:
    friend class com::UnknownImpl<ErrorInfoObject, IErrorInfo, ICreateErrorInfo>;
    ~ErrorInfoObject() override = default;

    HRESULT give(const std::u16string& field, BSTR* out) {
        if (!out) {
            return E_INVALIDARG;
        }
        std::lock_guard lock(mutex_);
        *out = com::allocBstr(field);
        return *out ? S_OK : E_OUTOFMEMORY;
    }
    HRESULT take(std::u16string& field, LPOLESTR text) {
        try {
            std::lock_guard lock(mutex_);
            field = text ? std::u16string(text) : std::u16string();
            return S_OK;
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        }
    }

    std::mutex mutex_;
    GUID guid_ = GUID_NULL;
    std::u16string source_;
    std::u16string description_;
    std::u16string helpFile_;
    DWORD helpContext_ = 0;
};

// The calling thread's error information.
thread_local com::ComPtr<IErrorInfo> threadErrorInfo;

} // namespace

HRESULT CreateErrorInfo(ICreateErrorInfo** pperrinfo) {
    if (!pperrinfo) {
        return E_INVALIDARG;
    }
    *pperrinfo = nullptr;
    auto* object = new (std::nothrow) ErrorInfoObject();
    if (!object) {
        return E_OUTOFMEMORY;
    }
    return object->QueryInterface(IID_ICreateErrorInfo, reinterpret_cast<void**>(pperrinfo));
}

HRESULT SetErrorInfo(ULONG dwReserved, IErrorInfo* perrinfo) {
    if (dwReserved != 0) {
        return E_INVALIDARG;
    }
    threadErrorInfo = com::ComPtr<IErrorInfo>(perrinfo);
    return S_OK;
}

HRESULT GetErrorInfo(ULONG dwReserved, IErrorInfo** pperrinfo) {
    if (!pperrinfo || dwReserved != 0) {
        return E_INVALIDARG;
    }
    *pperrinfo = threadErrorInfo.detach();
    return *pperrinfo ? S_OK : S_FALSE;
}

namespace com {

HRESULT setErrorInfo(REFGUID iid, std::u16string_view source, std::u16string_view description) {
    ComPtr<ICreateErrorInfo> create;
    HRESULT hr = CreateErrorInfo(create.out());
    if (FAILED(hr)) {
        return hr;
    }
    try {
        std::u16string s(source);
        std::u16string d(description);
        create->SetGUID(iid);
        create->SetSource(s.data());
        create->SetDescription(d.data());
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    ComPtr<IErrorInfo> info;
    hr = create.as(info);
    if (FAILED(hr)) {
        return hr;
    }
    return SetErrorInfo(0, info.get());
}

HRESULT setErrorInfoUtf8(REFGUID iid, std::string_view source, std::string_view description) {
    try {
        return setErrorInfo(iid, utf8ToUtf16(source), utf8ToUtf16(description));
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

} // namespace com

#pragma once

// ComPtr<T>: owns one reference to an interface (AddRef on copy, Release on destruction).

#include "com/IUnknown.h"

#include <utility>

namespace com {

template <class T> class ComPtr {
public:
    ComPtr() = default;
    ComPtr(std::nullptr_t) {}
    // Takes a new reference (AddRef).
    explicit ComPtr(T* p) : p_(p) {
        if (p_) {
            p_->AddRef();
        }
    }
    ComPtr(const ComPtr& other) : ComPtr(other.p_) {}
    ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
    template <class U> ComPtr(const ComPtr<U>& other) : ComPtr(static_cast<T*>(other.get())) {}
    ComPtr& operator=(const ComPtr& other) {
        ComPtr(other).swap(*this);
        return *this;
    }
    ComPtr& operator=(ComPtr&& other) noexcept {
        ComPtr(std::move(other)).swap(*this);
        return *this;
    }
    ComPtr& operator=(std::nullptr_t) {
        reset();
        return *this;
    }
    ~ComPtr() { reset(); }

    // Adopts a reference the caller already owns (no AddRef).
    static ComPtr attach(T* p) {
        ComPtr r;
        r.p_ = p;
        return r;
    }
    T* detach() { return std::exchange(p_, nullptr); }
    void reset() {
        if (T* p = std::exchange(p_, nullptr)) {
            p->Release();
        }
    }
    // Releases the current pointer and returns the address for an [out] parameter.
    T** out() {
        reset();
        return &p_;
    }
    void** outVoid() { return reinterpret_cast<void**>(out()); }

    T* get() const { return p_; }
    T* operator->() const { return p_; }
    T& operator*() const { return *p_; }
    explicit operator bool() const { return p_ != nullptr; }
    void swap(ComPtr& other) noexcept { std::swap(p_, other.p_); }

    // QueryInterface for U (by U::iid).
    template <class U> HRESULT as(ComPtr<U>& result) const {
        if (!p_) {
            result.reset();
            return E_POINTER;
        }
        return p_->QueryInterface(U::iid, result.outVoid());
    }
    template <class U> ComPtr<U> as() const {
        ComPtr<U> r;
        as(r);
        return r;
    }
    // Hands a new reference to an [out] parameter.
    HRESULT copyTo(T** target) const {
        if (!target) {
            return E_POINTER;
        }
        *target = p_;
        if (p_) {
            p_->AddRef();
        }
        return S_OK;
    }

private:
    T* p_ = nullptr;
};

template <class T, class U> bool operator==(const ComPtr<T>& a, const ComPtr<U>& b) {
    return a.get() == b.get();
}
template <class T> bool operator==(const ComPtr<T>& a, std::nullptr_t) {
    return !a;
}

} // namespace com

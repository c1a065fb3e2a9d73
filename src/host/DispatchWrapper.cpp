#include "host/DispatchWrapper.h"

#include "host/ComError.h"
#include "host/DukText.h"
#include "host/HostState.h"
#include "host/NativeFunction.h"
#include "host/Values.h"

#include <vector>

namespace host {

namespace {

// A local Symbol no script can name: reading it through the proxy yields the handle.
constexpr const char* kHandleSymbol = "\x81qnDispatch\xFFwrapper";
constexpr const char* kHandleProp = "\xFF"
                                    "handle";
constexpr const char* kDispidProp = "\xFF"
                                    "dispid";
constexpr const char* kHandlerStash = "qnDispatchHandler";

DispatchHandle* handleAt(duk_context* ctx, duk_idx_t idx) {
    if (!duk_get_prop_string(ctx, idx, kHandleProp)) {
        duk_pop(ctx);
        return nullptr;
    }
    auto* handle = static_cast<DispatchHandle*>(duk_get_pointer(ctx, -1));
    duk_pop(ctx);
    return handle;
}

// Finalizer of a bound member function: drops its reference.
duk_ret_t finalizeFunction(duk_context* ctx) {
    DispatchHandle* handle = handleAt(ctx, 0);
    if (handle) {
        duk_push_pointer(ctx, nullptr);
        duk_put_prop_string(ctx, 0, kHandleProp);
        handle->release();
    }
    return 0;
}

// Finalizer of a proxy's target: the wrapper is gone.
duk_ret_t finalizeTarget(duk_context* ctx) {
    DispatchHandle* handle = handleAt(ctx, 0);
    if (handle) {
        HostState::of(ctx).liveHandles.erase(handle);
    }
    return finalizeFunction(ctx);
}

// Stores a new reference to `handle` in the object at the top of the stack.
void attachHandle(duk_context* ctx, DispatchHandle* handle, duk_c_function finalizer) {
    handle->addRef();
    duk_push_pointer(ctx, handle);
    duk_put_prop_string(ctx, -2, kHandleProp);
    duk_push_c_function(ctx, finalizer, 1);
    duk_set_finalizer(ctx, -2);
}

// [object key] -> [value]; run protected, since a script's own Proxy may throw.
duk_ret_t getPropertyProtected(duk_context* ctx, void*) {
    duk_get_prop(ctx, -2);
    return 1;
}

// Calls the member with the arguments at [first, first + count) (or the value at `first`
// for a put) and pushes the result. -1 with an error pushed on failure.
duk_ret_t invoke(duk_context* ctx, DispatchHandle& handle, const DispatchHandle::Member& m,
                 WORD flags, duk_idx_t first, duk_idx_t count) {
    const com::DispatchMember* signature = m.signatureFor(flags);
    const bool put = (flags & DISPATCH_PROPERTYPUT) != 0;
    std::vector<VARIANT> args(static_cast<std::size_t>(count));
    for (VARIANT& v : args) {
        VariantInit(&v);
    }
    auto clearArgs = [&] {
        for (VARIANT& v : args) {
            VariantClear(&v);
        }
    };
    for (duk_idx_t i = 0; i < count; ++i) {
        UINT paramIndex =
            put ? (signature ? signature->argumentCount() - 1 : 0) : static_cast<UINT>(i);
        std::u16string error;
        HRESULT hr = toVariant(ctx, first + i, com::isBinaryParam(signature, paramIndex),
                               &args[static_cast<std::size_t>(count - 1 - i)], error);
        if (FAILED(hr)) {
            clearArgs();
            pushComError(ctx, hr, error);
            return -1;
        }
    }
    DISPID putId = DISPID_PROPERTYPUT;
    DISPPARAMS params{args.empty() ? nullptr : args.data(), put ? &putId : nullptr,
                      static_cast<UINT>(count), put ? 1u : 0u};
    VARIANT result;
    VariantInit(&result);
    EXCEPINFO excepInfo{};
    UINT argErr = 0;
    HRESULT hr = handle.dispatch()->Invoke(m.dispid, IID_NULL, LOCALE_USER_DEFAULT, flags, &params,
                                           put ? nullptr : &result, &excepInfo, &argErr);
    clearArgs();
    if (FAILED(hr)) {
        VariantClear(&result);
        pushInvokeError(ctx, hr, excepInfo);
        return -1;
    }
    com::clearExcepInfo(&excepInfo);
    if (put) {
        return 0;
    }
    bool pushed = pushResult(ctx, result, com::hasBinaryResult(signature));
    VariantClear(&result);
    if (!pushed) {
        pushOutOfMemory(ctx);
        return -1;
    }
    return 1;
}

// this = the bound method function; the call's arguments are the member's.
duk_ret_t callMemberBody(duk_context* ctx) {
    duk_idx_t count = duk_get_top(ctx);
    duk_push_current_function(ctx);
    DispatchHandle* handle = handleAt(ctx, -1);
    duk_get_prop_string(ctx, -1, kDispidProp);
    DISPID dispid = duk_get_int(ctx, -1);
    duk_pop_2(ctx);
    if (!handle) {
        pushComError(ctx, kNoSuchMember, describeHResult(kNoSuchMember));
        return -1;
    }
    DispatchHandle::Member m;
    m.dispid = dispid;
    // The member is found again by dispatch id among the cached names.
    duk_push_current_function(ctx);
    duk_get_prop_string(ctx, -1, "name");
    std::u16string name = duk_is_string(ctx, -1) ? toUtf16(ctx, -1) : std::u16string();
    duk_pop_2(ctx);
    if (auto found = handle->lookup(name); found && found->dispid == dispid) {
        m = *found;
    }
    return invoke(ctx, *handle, m, DISPATCH_METHOD | DISPATCH_PROPERTYGET, 0, count);
}

void pushMemberFunction(duk_context* ctx, DispatchHandle* handle, DISPID dispid,
                        const std::u16string& name) {
    duk_push_c_function(ctx, native<callMemberBody>, DUK_VARARGS);
    attachHandle(ctx, handle, finalizeFunction);
    duk_push_int(ctx, dispid);
    duk_put_prop_string(ctx, -2, kDispidProp);
    duk_push_string(ctx, "name");
    pushUtf16(ctx, name);
    duk_def_prop(ctx, -3, DUK_DEFPROP_HAVE_VALUE | DUK_DEFPROP_FORCE);
}

bool isProbeName(const std::u16string& name) {
    static const char16_t* probes[] = {u"toString", u"valueOf", u"toJSON",        u"constructor",
                                       u"then",     u"inspect", u"toLocaleString"};
    for (const char16_t* p : probes) {
        if (name == p) {
            return true;
        }
    }
    return false;
}

// get(target, key, receiver)
duk_ret_t getTrapBody(duk_context* ctx) {
    DispatchHandle* handle = handleAt(ctx, 0);
    if (duk_is_symbol(ctx, 1)) {
        duk_size_t n = 0;
        const char* key = duk_get_lstring(ctx, 1, &n);
        if (handle && std::string_view(key, n) == kHandleSymbol) {
            duk_push_pointer(ctx, handle);
        } else {
            duk_push_undefined(ctx);
        }
        return 1;
    }
    if (!handle) {
        duk_push_undefined(ctx);
        return 1;
    }
    duk_dup(ctx, 1);
    std::u16string name = toUtf16(ctx, -1);
    duk_pop(ctx);
    auto member = handle->lookup(name);
    if (!member) {
        if (isProbeName(name)) {
            duk_push_undefined(ctx);
            return 1;
        }
        pushComError(ctx, kNoSuchMember, describeHResult(kNoSuchMember));
        return -1;
    }
    if (member->typed) {
        bool plainProperty = member->get && !member->method && member->get->requiredCount() == 0;
        if (plainProperty) {
            return invoke(ctx, *handle, *member, DISPATCH_PROPERTYGET, 0, 0);
        }
        if (!member->get && !member->method) {
            pushComError(ctx, kNoSuchMember, describeHResult(kNoSuchMember));
            return -1; // a write-only property
        }
        pushMemberFunction(ctx, handle, member->dispid, name);
        return 1;
    }
    // Without type information: a property when a plain get works, else a method.
    VARIANT result;
    VariantInit(&result);
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    HRESULT hr = handle->dispatch()->Invoke(member->dispid, IID_NULL, LOCALE_USER_DEFAULT,
                                            DISPATCH_PROPERTYGET, &none, &result, nullptr, nullptr);
    if (SUCCEEDED(hr)) {
        bool pushed = pushResult(ctx, result, false);
        VariantClear(&result);
        if (!pushed) {
            pushOutOfMemory(ctx);
            return -1;
        }
        return 1;
    }
    VariantClear(&result);
    pushMemberFunction(ctx, handle, member->dispid, name);
    return 1;
}

// set(target, key, value, receiver)
duk_ret_t setTrapBody(duk_context* ctx) {
    DispatchHandle* handle = handleAt(ctx, 0);
    if (!handle || duk_is_symbol(ctx, 1)) {
        pushComError(ctx, kNoSuchMember, describeHResult(kNoSuchMember));
        return -1;
    }
    duk_dup(ctx, 1);
    std::u16string name = toUtf16(ctx, -1);
    duk_pop(ctx);
    auto member = handle->lookup(name);
    if (!member || (member->typed && !member->put)) {
        pushComError(ctx, kNoSuchMember, describeHResult(kNoSuchMember));
        return -1;
    }
    duk_ret_t rc = invoke(ctx, *handle, *member, DISPATCH_PROPERTYPUT, 2, 1);
    if (rc < 0) {
        return rc;
    }
    duk_push_true(ctx);
    return 1;
}

// has(target, key)
duk_ret_t hasTrapBody(duk_context* ctx) {
    DispatchHandle* handle = handleAt(ctx, 0);
    bool found = false;
    if (handle && !duk_is_symbol(ctx, 1)) {
        duk_dup(ctx, 1);
        std::u16string name = toUtf16(ctx, -1);
        duk_pop(ctx);
        found = handle->lookup(name).has_value();
    }
    duk_push_boolean(ctx, found);
    return 1;
}

} // namespace

DispatchHandle::DispatchHandle(IDispatch* dispatch) : members_(dispatch) {}

void DispatchHandle::release() {
    if (refs_.fetch_sub(1) == 1) {
        delete this;
    }
}

void registerDispatchSupport(duk_context* ctx) {
    duk_push_global_stash(ctx);
    duk_push_object(ctx);
    duk_push_c_function(ctx, native<getTrapBody>, 3);
    duk_put_prop_string(ctx, -2, "get");
    duk_push_c_function(ctx, native<setTrapBody>, 4);
    duk_put_prop_string(ctx, -2, "set");
    duk_push_c_function(ctx, native<hasTrapBody>, 2);
    duk_put_prop_string(ctx, -2, "has");
    duk_put_prop_string(ctx, -2, kHandlerStash);
    duk_pop(ctx);
}

void pushDispatch(duk_context* ctx, IDispatch* dispatch) {
    if (!dispatch) {
        duk_push_null(ctx);
        return;
    }
    auto* handle = new DispatchHandle(dispatch);
    HostState::of(ctx).liveHandles.insert(handle);
    duk_push_object(ctx); // the proxy's target
    attachHandle(ctx, handle, finalizeTarget);
    handle->release(); // the target holds the reference now
    duk_push_global_stash(ctx);
    duk_get_prop_string(ctx, -1, kHandlerStash);
    duk_remove(ctx, -2);
    duk_push_proxy(ctx, 0);
}

IDispatch* wrappedDispatch(duk_context* ctx, duk_idx_t idx) {
    if (!duk_is_object(ctx, idx)) {
        return nullptr;
    }
    duk_dup(ctx, idx);
    duk_push_string(ctx, kHandleSymbol);
    DispatchHandle* handle = nullptr;
    if (duk_safe_call(ctx, getPropertyProtected, nullptr, 2, 1) == DUK_EXEC_SUCCESS) {
        handle = static_cast<DispatchHandle*>(duk_get_pointer(ctx, -1));
    }
    duk_pop(ctx);
    if (!handle || !HostState::of(ctx).liveHandles.count(handle)) {
        return nullptr;
    }
    return handle->dispatch();
}

} // namespace host

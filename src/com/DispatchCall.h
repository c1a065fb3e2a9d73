#pragma once

// One late-bound call in progress: maps the parameters of a member (declaration order) onto
// the DISPPARAMS of IDispatch::Invoke (positional arguments reversed, the value of a
// property put as the named DISPID_PROPERTYPUT argument) and coerces them.

#include "com/IDispatch.h"
#include "com/TypeTable.h"

namespace com {

class DispatchCall {
public:
    DispatchCall(const DispatchMember& member, DISPPARAMS* params, VARIANT* result, UINT* argErr);

    // Checks the argument counts and named arguments against the member:
    // DISP_E_BADPARAMCOUNT, DISP_E_PARAMNOTFOUND (a put without its value),
    // DISP_E_NONAMEDARGS.
    HRESULT validate() const;

    // The caller's VARIANT for parameter `index` (declaration order), or null when the
    // caller did not pass it. An explicitly omitted optional argument (VT_ERROR /
    // DISP_E_PARAMNOTFOUND) also counts as not passed.
    VARIANT* argument(UINT index) const;
    // Converts the argument for parameter `index` to `vt` (VT_VARIANT: a dereferenced copy)
    // into `target` (which must be initialised; it is cleared first). S_OK; S_FALSE when the
    // argument was omitted and the parameter is optional (target left VT_EMPTY);
    // DISP_E_PARAMNOTOPTIONAL when a required one was omitted; DISP_E_TYPEMISMATCH or
    // DISP_E_OVERFLOW when it does not convert (puArgErr is set).
    HRESULT coerce(UINT index, VARTYPE vt, VARIANT* target);
    // Records the failing argument in puArgErr (first failure only) and returns `hr`.
    HRESULT fail(UINT index, HRESULT hr);

    // Where the [out, retval] value goes; null when the caller did not ask for a result.
    VARIANT* result() const { return result_; }
    const DispatchMember& member() const { return member_; }

private:
    int slotOf(UINT index) const; // index into rgvarg, or -1

    const DispatchMember& member_;
    DISPPARAMS* params_;
    VARIANT* result_;
    UINT* argErr_;
    bool failed_ = false;
};

} // namespace com

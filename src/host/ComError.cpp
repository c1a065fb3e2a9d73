#include "host/ComError.h"

#include "host/DukText.h"

#include <cstdio>

namespace host {

std::u16string describeHResult(HRESULT hr) {
    struct Entry {
        HRESULT code;
        const char16_t* text;
    };
    static const Entry table[] = {
        {kCannotCreateObject, u"Automation server can't create object"},
        {kNoSuchMember, u"Object doesn't support this property or method"},
        {kTypeMismatch, u"Type mismatch"},
        {kSubscriptOutOfRange, u"Subscript out of range"},
        {kVBArrayExpected, u"VBArray expected"},
        {E_FAIL, u"Unspecified error"},
        {E_NOTIMPL, u"Not implemented"},
        {E_NOINTERFACE, u"No such interface supported"},
        {E_POINTER, u"Invalid pointer"},
        {E_ABORT, u"Operation aborted"},
        {E_UNEXPECTED, u"Catastrophic failure"},
        {E_ACCESSDENIED, u"Access is denied."},
        {E_OUTOFMEMORY, u"Not enough memory resources are available to complete this operation."},
        {E_INVALIDARG, u"The parameter is incorrect."},
        {DISP_E_UNKNOWNINTERFACE, u"Unknown interface."},
        {DISP_E_MEMBERNOTFOUND, u"Member not found."},
        {DISP_E_PARAMNOTFOUND, u"Parameter not found."},
        {DISP_E_TYPEMISMATCH, u"Type mismatch."},
        {DISP_E_UNKNOWNNAME, u"Unknown name."},
        {DISP_E_NONAMEDARGS, u"No named arguments."},
        {DISP_E_BADVARTYPE, u"Bad variable type."},
        {DISP_E_EXCEPTION, u"Exception occurred."},
        {DISP_E_OVERFLOW, u"Out of present range."},
        {DISP_E_BADINDEX, u"Invalid index."},
        {DISP_E_BADPARAMCOUNT, u"Invalid number of parameters."},
        {DISP_E_PARAMNOTOPTIONAL, u"Parameter not optional."},
        {CLASS_E_CLASSNOTAVAILABLE, u"ClassFactory cannot supply requested class"},
        {CLASS_E_NOAGGREGATION, u"Class does not support aggregation (or class object is remote)"},
        {REGDB_E_CLASSNOTREG, u"Class not registered"},
        {CO_E_CLASSSTRING, u"Invalid class string"},
    };
    for (const Entry& e : table) {
        if (e.code == hr) {
            return e.text;
        }
    }
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "Unknown error 0x%08X", static_cast<unsigned>(hr));
    return com::utf8ToUtf16(buffer);
}

namespace {

// Points the error at the top of the stack at the nearest script line of the call stack
// (an error made by native code would otherwise name the native source).
void placeInScript(duk_context* ctx) {
    for (duk_int_t level = -1; level >= -64; --level) {
        duk_inspect_callstack_entry(ctx, level);
        if (duk_is_undefined(ctx, -1)) {
            duk_pop(ctx);
            return;
        }
        duk_get_prop_string(ctx, -1, "lineNumber");
        duk_int_t line = duk_get_int(ctx, -1);
        duk_pop(ctx);
        if (line > 0) {
            duk_get_prop_string(ctx, -1, "function");
            duk_get_prop_string(ctx, -1, "fileName");
            duk_put_prop_string(ctx, -4, "fileName");
            duk_pop_2(ctx);
            duk_push_int(ctx, line);
            duk_put_prop_string(ctx, -2, "lineNumber");
            return;
        }
        duk_pop(ctx);
    }
}

} // namespace

void pushOutOfMemory(duk_context* ctx) {
    pushComError(ctx, E_OUTOFMEMORY, describeHResult(E_OUTOFMEMORY));
}

void pushComError(duk_context* ctx, HRESULT number, const std::u16string& description) {
    duk_push_error_object(ctx, DUK_ERR_ERROR, "%s", "");
    placeInScript(ctx);
    pushUtf16(ctx, description);
    duk_put_prop_string(ctx, -2, "message");
    pushUtf16(ctx, description);
    duk_put_prop_string(ctx, -2, "description");
    duk_push_int(ctx, number);
    duk_put_prop_string(ctx, -2, "number");
}

void pushInvokeError(duk_context* ctx, HRESULT hr, EXCEPINFO& excepInfo) {
    HRESULT number = hr;
    std::u16string description;
    if (hr == DISP_E_EXCEPTION) {
        if (excepInfo.pfnDeferredFillIn) {
            excepInfo.pfnDeferredFillIn(&excepInfo);
        }
        if (excepInfo.scode != 0) {
            number = excepInfo.scode;
        } else if (excepInfo.wCode != 0) {
            number = static_cast<HRESULT>(0x800A0000u | excepInfo.wCode);
        }
        description = com::bstrToUtf16(excepInfo.bstrDescription);
    } else {
        description = describeHResult(hr);
    }
    com::clearExcepInfo(&excepInfo);
    pushComError(ctx, number, description);
}

} // namespace host

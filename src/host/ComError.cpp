#include "host/ComError.h"

#include "host/DukText.h"

namespace host {

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
    com::AutomationError error = com::invokeError(hr, excepInfo);
    pushComError(ctx, error.number, error.description);
}

} // namespace host

#include "host/HostState.h"

namespace host {

HostState& HostState::of(duk_context* ctx) {
    duk_memory_functions functions;
    duk_get_memory_functions(ctx, &functions);
    return *static_cast<HostState*>(functions.udata);
}

void pushQuitError(duk_context* ctx) {
    duk_push_error_object(ctx, DUK_ERR_ERROR, "WScript.Quit");
    duk_push_true(ctx);
    duk_put_prop_string(ctx, -2,
                        "\xFF"
                        "quit");
}

} // namespace host

#pragma once

// Duktape throws with longjmp, which must not cross C++ frames that own objects. A native
// function is therefore written as a body that returns a result count, or -1 with an error
// object pushed; native<Body> runs it (turning C++ exceptions into script errors) and
// throws only after the body's objects are gone. A pending WScript.Quit is rethrown first.

#include "host/ComError.h"
#include "host/HostState.h"

#include <duktape.h>

#include <new>

namespace host {

template <duk_ret_t (*Body)(duk_context*)> duk_ret_t native(duk_context* ctx) {
    if (HostState::of(ctx).quitRequested) {
        pushQuitError(ctx);
        return duk_throw(ctx);
    }
    duk_ret_t rc = -1;
    bool outOfMemory = false;
    bool failed = false;
    try {
        rc = Body(ctx);
    } catch (const std::bad_alloc&) {
        outOfMemory = true;
    } catch (...) {
        failed = true;
    }
    if (outOfMemory || failed) {
        pushComError(ctx, outOfMemory ? E_OUTOFMEMORY : E_UNEXPECTED,
                     describeHResult(outOfMemory ? E_OUTOFMEMORY : E_UNEXPECTED));
        rc = -1;
    }
    if (rc < 0) {
        return duk_throw(ctx);
    }
    return rc;
}

} // namespace host

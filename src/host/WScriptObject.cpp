#include "host/WScriptObject.h"

#include "host/ComError.h"
#include "host/DispatchWrapper.h"
#include "host/DukText.h"
#include "host/HostState.h"
#include "host/NativeFunction.h"

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <string>

namespace host {

namespace {

// The text of the value at `idx` for output, as UTF-8.
std::string displayText(duk_context* ctx, duk_idx_t idx) {
    if (duk_is_undefined(ctx, idx)) {
        return {};
    }
    if (wrappedDispatch(ctx, idx)) {
        return "[object]";
    }
    duk_dup(ctx, idx);
    duk_safe_to_string(ctx, -1);
    std::string text = com::utf16ToUtf8(toUtf16(ctx, -1));
    duk_pop(ctx);
    return text;
}

std::string joinedArguments(duk_context* ctx) {
    std::string line;
    duk_idx_t count = duk_get_top(ctx);
    for (duk_idx_t i = 0; i < count; ++i) {
        if (i > 0) {
            line.push_back(' ');
        }
        line += displayText(ctx, i);
    }
    return line;
}

void writeText(std::FILE* stream, const std::string& text, bool newline) {
    std::fwrite(text.data(), 1, text.size(), stream);
    if (newline) {
        std::fputc('\n', stream);
    }
    std::fflush(stream);
}

duk_ret_t echoBody(duk_context* ctx) {
    writeText(stdout, joinedArguments(ctx), true);
    return 0;
}

duk_ret_t stdoutWriteBody(duk_context* ctx) {
    writeText(stdout, joinedArguments(ctx), false);
    return 0;
}

duk_ret_t stdoutWriteLineBody(duk_context* ctx) {
    writeText(stdout, joinedArguments(ctx), true);
    return 0;
}

duk_ret_t stderrWriteBody(duk_context* ctx) {
    writeText(stderr, joinedArguments(ctx), false);
    return 0;
}

duk_ret_t stderrWriteLineBody(duk_context* ctx) {
    writeText(stderr, joinedArguments(ctx), true);
    return 0;
}

duk_ret_t quitBody(duk_context* ctx) {
    HostState& state = HostState::of(ctx);
    int code = 0;
    if (duk_is_number(ctx, 0)) {
        double d = duk_get_number(ctx, 0);
        if (std::isfinite(d)) {
            // ToInt32: the value modulo 2^32, without an out-of-range conversion
            double wrapped = std::fmod(std::trunc(d), 4294967296.0);
            if (wrapped < 0) {
                wrapped += 4294967296.0;
            }
            code = static_cast<int>(static_cast<std::uint32_t>(wrapped));
        }
    }
    state.quitRequested = true;
    state.quitCode = code;
    pushQuitError(ctx);
    return -1;
}

duk_ret_t sleepBody(duk_context* ctx) {
    double ms = duk_is_number(ctx, 0) ? duk_get_number(ctx, 0) : 0;
    if (ms > 2147483647.0) {
        ms = 2147483647.0; // as a 32-bit count of milliseconds at most
    }
    if (ms > 0) {
        timespec t{static_cast<time_t>(ms / 1000),
                   static_cast<long>(std::fmod(ms, 1000.0) * 1000000.0)};
        while (nanosleep(&t, &t) != 0 && errno == EINTR) {
        }
    }
    return 0;
}

// Arguments(i) / Arguments.Item(i)
duk_ret_t argumentItemBody(duk_context* ctx) {
    const auto& args = HostState::of(ctx).arguments;
    double d = duk_is_number(ctx, 0) ? duk_get_number(ctx, 0) : -1;
    if (!(d >= 0 && d < static_cast<double>(args.size())) || d != std::trunc(d)) {
        pushComError(ctx, kSubscriptOutOfRange, describeHResult(kSubscriptOutOfRange));
        return -1;
    }
    pushUtf16(ctx, com::utf8ToUtf16(args[static_cast<std::size_t>(d)]));
    return 1;
}

duk_ret_t argumentCountBody(duk_context* ctx) {
    duk_push_uint(ctx, static_cast<duk_uint_t>(HostState::of(ctx).arguments.size()));
    return 1;
}

void putString(duk_context* ctx, const char* name, const std::string& utf8) {
    pushUtf16(ctx, com::utf8ToUtf16(utf8));
    duk_put_prop_string(ctx, -2, name);
}

void pushWriter(duk_context* ctx, duk_c_function write, duk_c_function writeLine) {
    duk_push_object(ctx);
    duk_push_c_function(ctx, write, DUK_VARARGS);
    duk_put_prop_string(ctx, -2, "Write");
    duk_push_c_function(ctx, writeLine, DUK_VARARGS);
    duk_put_prop_string(ctx, -2, "WriteLine");
}

// new ActiveXObject(progId)
duk_ret_t activeXBody(duk_context* ctx) {
    if (!duk_is_string(ctx, 0) || duk_is_symbol(ctx, 0)) {
        pushComError(ctx, kCannotCreateObject, describeHResult(kCannotCreateObject));
        return -1;
    }
    std::u16string progId = toUtf16(ctx, 0);
    CLSID clsid{};
    com::ComPtr<IDispatch> object;
    if (FAILED(CLSIDFromProgID(progId.c_str(), &clsid)) ||
        FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                                object.outVoid())) ||
        !object) {
        pushComError(ctx, kCannotCreateObject, describeHResult(kCannotCreateObject));
        return -1;
    }
    pushDispatch(ctx, object.get());
    return 1;
}

std::string baseName(const std::string& path) {
    std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

} // namespace

void registerWScript(duk_context* ctx) {
    const HostState& state = HostState::of(ctx);
    duk_push_object(ctx);
    duk_push_c_function(ctx, native<echoBody>, DUK_VARARGS);
    duk_put_prop_string(ctx, -2, "Echo");
    duk_push_c_function(ctx, native<quitBody>, 1);
    duk_put_prop_string(ctx, -2, "Quit");
    duk_push_c_function(ctx, native<sleepBody>, 1);
    duk_put_prop_string(ctx, -2, "Sleep");
    duk_push_c_function(ctx, native<activeXBody>, 1);
    duk_put_prop_string(ctx, -2, "CreateObject");
    putString(ctx, "ScriptFullName", state.scriptFullName);
    putString(ctx, "ScriptName", baseName(state.scriptFullName));
    putString(ctx, "Name", "Windows Script Host");
    putString(ctx, "Version", "5.8");

    // Arguments: callable as Arguments(i), with length, Item(i), Count() and Length.
    duk_push_c_function(ctx, native<argumentItemBody>, 1);
    duk_push_string(ctx, "length");
    duk_push_uint(ctx, static_cast<duk_uint_t>(state.arguments.size()));
    duk_def_prop(ctx, -3, DUK_DEFPROP_HAVE_VALUE | DUK_DEFPROP_FORCE);
    duk_push_uint(ctx, static_cast<duk_uint_t>(state.arguments.size()));
    duk_put_prop_string(ctx, -2, "Length");
    duk_push_c_function(ctx, native<argumentItemBody>, 1);
    duk_put_prop_string(ctx, -2, "Item");
    duk_push_c_function(ctx, native<argumentCountBody>, 0);
    duk_put_prop_string(ctx, -2, "Count");
    duk_put_prop_string(ctx, -2, "Arguments");

    pushWriter(ctx, native<stdoutWriteBody>, native<stdoutWriteLineBody>);
    duk_put_prop_string(ctx, -2, "StdOut");
    pushWriter(ctx, native<stderrWriteBody>, native<stderrWriteLineBody>);
    duk_put_prop_string(ctx, -2, "StdErr");
    duk_put_global_string(ctx, "WScript");
}

void registerActiveXObject(duk_context* ctx) {
    duk_push_c_function(ctx, native<activeXBody>, 1);
    duk_put_global_string(ctx, "ActiveXObject");
}

} // namespace host

#include "host/ScriptHost.h"

#include "host/DukAllocator.h"

#include "com/Com.h"
#include "host/DispatchWrapper.h"
#include "host/DukText.h"
#include "host/VBArray.h"
#include "host/WScriptObject.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <sys/stat.h>

namespace host {

namespace {

void fatal(void*, const char* message) {
    std::fprintf(stderr, "qnscript: fatal error: %s\n", message ? message : "(unknown)");
    std::fflush(stderr);
    std::abort();
}

std::string absolutePath(const std::string& path) {
    char resolved[PATH_MAX];
    if (realpath(path.c_str(), resolved)) {
        return resolved;
    }
    return path;
}

std::string stringProp(duk_context* ctx, duk_idx_t idx, const char* name) {
    std::string text;
    if (duk_get_prop_string(ctx, idx, name) && duk_is_string(ctx, -1)) {
        text = com::utf16ToUtf8(toUtf16(ctx, -1));
    }
    duk_pop(ctx);
    return text;
}

// [error] -> [error]: prints an uncaught error.
duk_ret_t describeError(duk_context* ctx, void* udata) {
    const std::string& script = *static_cast<const std::string*>(udata);
    std::string where = script;
    if (duk_is_error(ctx, -1) || duk_is_object(ctx, -1)) {
        if (duk_get_prop_string(ctx, -1, "lineNumber") && duk_is_number(ctx, -1) &&
            duk_get_int(ctx, -1) > 0) {
            where += "(" + std::to_string(duk_get_int(ctx, -1)) + ")";
        }
        duk_pop(ctx);
        bool hasNumber = duk_get_prop_string(ctx, -1, "number") && duk_is_number(ctx, -1);
        double number = hasNumber ? duk_get_number(ctx, -1) : 0;
        duk_pop(ctx);
        std::string description = stringProp(ctx, -1, "description");
        if (hasNumber) {
            auto code = static_cast<std::int32_t>(static_cast<std::int64_t>(number));
            std::fprintf(stderr, "%s: error 0x%08X (%d): %s\n", where.c_str(),
                         static_cast<unsigned>(code), code, description.c_str());
        } else {
            std::string name = stringProp(ctx, -1, "name");
            std::string message = stringProp(ctx, -1, "message");
            std::fprintf(stderr, "%s: %s: %s\n", where.c_str(),
                         name.empty() ? "Error" : name.c_str(), message.c_str());
        }
    } else {
        duk_dup(ctx, -1);
        duk_safe_to_string(ctx, -1);
        std::string text = com::utf16ToUtf8(toUtf16(ctx, -1));
        duk_pop(ctx);
        std::fprintf(stderr, "%s: uncaught exception: %s\n", where.c_str(), text.c_str());
    }
    return 1;
}

bool isQuitError(duk_context* ctx) {
    if (!duk_is_object(ctx, -1)) {
        return false;
    }
    bool quit = duk_get_prop_string(ctx, -1,
                                    "\xFF"
                                    "quit") &&
                duk_get_boolean(ctx, -1);
    duk_pop(ctx);
    return quit;
}

struct HeapDeleter {
    void operator()(duk_context* ctx) const { duk_destroy_heap(ctx); }
};

} // namespace

ScriptHost::ScriptHost(std::string scriptPath, std::vector<std::string> arguments)
    : scriptPath_(std::move(scriptPath)) {
    state_.scriptFullName = absolutePath(scriptPath_);
    state_.arguments = std::move(arguments);
}

int ScriptHost::run() {
    struct stat st {};
    std::ifstream in(scriptPath_, std::ios::binary);
    if (stat(scriptPath_.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || !in) {
        std::fprintf(stderr, "qnscript: cannot open script file %s\n", scriptPath_.c_str());
        return 1;
    }
    std::string source((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) {
        std::fprintf(stderr, "qnscript: cannot read script file %s\n", scriptPath_.c_str());
        return 1;
    }
    if (source.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        source.erase(0, 3);
    }

    std::unique_ptr<duk_context, HeapDeleter> heap(
        duk_create_heap(dukAlloc, dukRealloc, dukFree, &state_, fatal));
    if (!heap) {
        std::fprintf(stderr, "qnscript: cannot create the script engine\n");
        return 1;
    }
    duk_context* ctx = heap.get();
    registerDispatchSupport(ctx);
    registerVBArray(ctx);
    registerWScript(ctx);
    registerActiveXObject(ctx);

    duk_push_string(ctx, state_.scriptFullName.c_str());
    if (duk_pcompile_lstring_filename(ctx, 0, source.data(), source.size()) != 0) {
        std::string message = stringProp(ctx, -1, "message");
        int line = 0;
        if (duk_get_prop_string(ctx, -1, "lineNumber") && duk_is_number(ctx, -1)) {
            line = duk_get_int(ctx, -1);
        }
        duk_pop(ctx);
        std::fprintf(stderr, "%s(%d): syntax error: %s\n", scriptPath_.c_str(), line,
                     message.c_str());
        return 1;
    }
    int status = 0;
    if (duk_pcall(ctx, 0) != DUK_EXEC_SUCCESS) {
        if (state_.quitRequested || isQuitError(ctx)) {
            status = state_.quitCode;
        } else {
            duk_safe_call(ctx, describeError, &scriptPath_, 1, 1);
            status = 1;
        }
    } else if (state_.quitRequested) {
        status = state_.quitCode;
    }
    duk_pop(ctx);
    std::fflush(stdout);
    heap.reset(); // finalizers release the script's objects
    return status;
}

} // namespace host

#pragma once

// What the host keeps per script heap: WScript.Quit's request, the script's path and
// arguments, and the set of live dispatch handles (so that a pointer read back from a
// wrapper is known to be one of ours).

#include <duktape.h>

#include <string>
#include <unordered_set>
#include <vector>

namespace host {

class DispatchHandle;

struct HostState {
    std::string scriptFullName;
    std::vector<std::string> arguments;
    bool quitRequested = false;
    int quitCode = 0;
    std::unordered_set<const DispatchHandle*> liveHandles;

    // The state of the heap `ctx` belongs to (given to duk_create_heap as its user data).
    static HostState& of(duk_context* ctx);
};

// Pushes the error that unwinds the script after WScript.Quit. Native functions call it
// first thing when a quit is pending, so a script that catches the quit cannot go on
// calling the host.
void pushQuitError(duk_context* ctx);

} // namespace host

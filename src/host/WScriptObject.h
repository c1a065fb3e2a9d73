#pragma once

// The WScript object: Echo, Arguments (length, Item(i), Count(), callable as Arguments(i)),
// Quit(code), Sleep(ms), CreateObject(progId), ScriptFullName, ScriptName, Name, Version, StdOut /
// StdErr (Write, WriteLine), and the ActiveXObject constructor.

#include <duktape.h>

namespace host {

void registerWScript(duk_context* ctx);
void registerActiveXObject(duk_context* ctx);

} // namespace host

#pragma once

// Runs one script file: creates the Duktape heap, installs WScript, ActiveXObject and
// VBArray, compiles and runs the file and reports an uncaught error on stderr.

#include "host/HostState.h"

#include <string>
#include <vector>

namespace host {

class ScriptHost {
public:
    ScriptHost(std::string scriptPath, std::vector<std::string> arguments);
    // The process exit status: 0, WScript.Quit's code, or 1 after an error.
    int run();

private:
    std::string scriptPath_;
    HostState state_;
};

} // namespace host

// qnscript FILE.js [ARGS...]: runs a script that drives automation objects, in the manner
// of Windows Script Host. The module named by $QUILLION_MODULE, or libquillion2.so beside
// this executable, is loaded first so that its classes can be created by ProgID.

#include "com/ComponentModule.h"
#include "host/ScriptHost.h"

#include <cstdio>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: qnscript FILE.js [ARGS...]\n");
        return 2;
    }
    if (!com::loadComponentModule("qnscript")) {
        return 1;
    }
    std::vector<std::string> arguments(argv + 2, argv + argc);
    host::ScriptHost script(argv[1], std::move(arguments));
    return script.run();
}

// qnscript FILE.js [ARGS...]: runs a script that drives automation objects, in the manner
// of Windows Script Host. The module named by $QUILLION_MODULE, or libquillion2.so beside
// this executable, is loaded first so that its classes can be created by ProgID.

#include "com/Com.h"
#include "host/ScriptHost.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

std::string executableDirectory() {
    char path[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) {
        return ".";
    }
    std::string p(path, static_cast<std::size_t>(n));
    std::size_t slash = p.rfind('/');
    return slash == std::string::npos ? "." : p.substr(0, slash);
}

// False only when an explicitly named module cannot be loaded.
bool loadComponentModule() {
    const char* named = std::getenv("QUILLION_MODULE");
    std::string error;
    if (named && *named) {
        if (!com::loadModule(named, &error)) {
            std::fprintf(stderr, "qnscript: cannot load the module %s: %s\n", named, error.c_str());
            return false;
        }
        return true;
    }
    std::string beside = executableDirectory() + "/libquillion2.so";
    struct stat st {};
    if (stat(beside.c_str(), &st) == 0 && !com::loadModule(beside, &error)) {
        std::fprintf(stderr, "qnscript: warning: cannot load %s: %s\n", beside.c_str(),
                     error.c_str());
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: qnscript FILE.js [ARGS...]\n");
        return 2;
    }
    if (!loadComponentModule()) {
        return 1;
    }
    std::vector<std::string> arguments(argv + 2, argv + argc);
    host::ScriptHost script(argv[1], std::move(arguments));
    return script.run();
}

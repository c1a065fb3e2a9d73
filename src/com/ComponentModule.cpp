#include "com/ComponentModule.h"

#include "com/Activation.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace com {

std::string executablePath() {
    char path[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) {
        return std::string();
    }
    return std::string(path, static_cast<std::size_t>(n));
}

std::string executableDirectory() {
    std::string p = executablePath();
    std::size_t slash = p.rfind('/');
    return slash == std::string::npos ? "." : p.substr(0, slash);
}

bool loadComponentModule(const std::string& program) {
    const char* named = std::getenv("QUILLION_MODULE");
    std::string error;
    if (named && *named) {
        if (!loadModule(named, &error)) {
            std::fprintf(stderr, "%s: cannot load the module %s: %s\n", program.c_str(), named,
                         error.c_str());
            return false;
        }
        return true;
    }
    std::string beside = executableDirectory() + "/libquillion2.so";
    struct stat st {};
    if (stat(beside.c_str(), &st) == 0 && !loadModule(beside, &error)) {
        std::fprintf(stderr, "%s: warning: cannot load %s: %s\n", program.c_str(), beside.c_str(),
                     error.c_str());
    }
    return true;
}

} // namespace com

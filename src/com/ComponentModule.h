#pragma once

// How the executables of the project find the component: the module named by
// $QUILLION_MODULE, or libquillion2.so beside the executable when it is there.

#include <string>

namespace com {

// The folder of the running executable (from /proc/self/exe), "." when unknown.
std::string executableDirectory();
// The full path of the running executable, empty when unknown.
std::string executablePath();

// Loads the module; false only when an explicitly named module cannot be loaded. Messages
// go to stderr prefixed with `program`.
bool loadComponentModule(const std::string& program);

} // namespace com

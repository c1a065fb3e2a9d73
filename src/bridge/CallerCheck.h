#pragma once

// Who started qnbridge: Chromium and Chrome pass the caller's origin
// ("chrome-extension://ID/") as the first argument, Firefox the manifest's path and the
// extension's id. Only our extension is served.

#include <string>
#include <vector>

namespace bridge {

class CallerCheck {
public:
    // `arguments`: the command line after the program name.
    static bool accepts(const std::vector<std::string>& arguments);
};

} // namespace bridge

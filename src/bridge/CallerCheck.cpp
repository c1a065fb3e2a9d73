#include "bridge/CallerCheck.h"

#include "bridge/HostManifest.h"

namespace bridge {

bool CallerCheck::accepts(const std::vector<std::string>& arguments) {
    if (arguments.empty()) {
        return false;
    }
    // Chromium: the origin, possibly followed by --parent-window=N.
    if (arguments[0] == HostManifest::kChromiumOrigin) {
        return true;
    }
    // Firefox: the manifest's path, then the extension's id.
    return arguments.size() >= 2 && arguments[1] == HostManifest::kFirefoxExtension;
}

} // namespace bridge

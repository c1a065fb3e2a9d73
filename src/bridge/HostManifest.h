#pragma once

// The native-messaging host manifest (org.quillion.bridge.json) that tells a browser how to
// start qnbridge and which extension may talk to it.

#include <string>

namespace bridge {

class HostManifest {
public:
    static constexpr const char* kHostName = "org.quillion.bridge";
    static constexpr const char* kFileName = "org.quillion.bridge.json";
    static constexpr const char* kExtensionId = "ghjldjcackikbmlbkicbcfpnccpnmjah";
    static constexpr const char* kChromiumOrigin =
        "chrome-extension://ghjldjcackikbmlbkicbcfpnccpnmjah/";
    static constexpr const char* kFirefoxExtension = "quillion2@quillion.org";

    // Chromium and Chrome: allowed_origins with the extension's origin.
    static std::string chromium(const std::string& hostPath);
    // Firefox: allowed_extensions with the extension's id.
    static std::string firefox(const std::string& hostPath);
};

} // namespace bridge

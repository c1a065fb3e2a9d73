#pragma once

// qnbridge install / uninstall: the host manifest for Chromium
// (~/.config/chromium/NativeMessagingHosts/), Chrome (~/.config/google-chrome/
// NativeMessagingHosts/) and Firefox (~/.mozilla/native-messaging-hosts/), or only into
// DIR/NativeMessagingHosts/ of one Chromium profile.

#include <optional>
#include <string>
#include <vector>

namespace bridge {

class Installer {
public:
    // `home`: the user's home folder; `profile`: a Chromium profile folder, in place of the
    // three browsers; `hostPath`: the absolute path of qnbridge.
    Installer(std::string home, std::optional<std::string> profile, std::string hostPath);

    // Writes the manifests (0644, replacing any older one); returns the files written.
    // Raises std::runtime_error on failure.
    std::vector<std::string> install() const;
    // Removes the manifests and the folders left empty that install may have made; returns
    // the files removed.
    std::vector<std::string> uninstall() const;

private:
    struct Target {
        std::string folder;  // where the manifest goes
        std::string topmost; // the highest folder install may have created
        bool firefox;
    };
    std::vector<Target> targets() const;

    std::string home_;
    std::optional<std::string> profile_;
    std::string hostPath_;
};

} // namespace bridge

#include "bridge/Installer.h"

#include "bridge/FileWriting.h"
#include "bridge/HostManifest.h"

#include <filesystem>
#include <stdexcept>
#include <unistd.h>

namespace bridge {

namespace fs = std::filesystem;

Installer::Installer(std::string home, std::optional<std::string> profile, std::string hostPath)
    : home_(std::move(home)), profile_(std::move(profile)), hostPath_(std::move(hostPath)) {}

std::vector<Installer::Target> Installer::targets() const {
    if (profile_) {
        std::string folder = *profile_ + "/NativeMessagingHosts";
        return {{folder, folder, false}};
    }
    return {
        {home_ + "/.config/chromium/NativeMessagingHosts", home_ + "/.config/chromium", false},
        {home_ + "/.config/google-chrome/NativeMessagingHosts", home_ + "/.config/google-chrome",
         false},
        {home_ + "/.mozilla/native-messaging-hosts", home_ + "/.mozilla", true},
    };
}

std::vector<std::string> Installer::install() const {
    if (hostPath_.empty() || hostPath_.front() != '/') {
        throw std::runtime_error("the host path must be absolute: " + hostPath_);
    }
    std::vector<std::string> written;
    for (const Target& t : targets()) {
        std::error_code ec;
        fs::create_directories(t.folder, ec);
        if (ec) {
            throw std::runtime_error("cannot create " + t.folder + ": " + ec.message());
        }
        std::string path = t.folder + "/" + HostManifest::kFileName;
        writeFileAtomically(
            path, t.firefox ? HostManifest::firefox(hostPath_) : HostManifest::chromium(hostPath_),
            0644);
        written.push_back(path);
    }
    return written;
}

std::vector<std::string> Installer::uninstall() const {
    std::vector<std::string> removed;
    for (const Target& t : targets()) {
        std::string path = t.folder + "/" + HostManifest::kFileName;
        if (::unlink(path.c_str()) == 0) {
            removed.push_back(path);
        }
        // Folders install may have made go too, as long as nothing else is in them.
        fs::path folder = t.folder;
        while (true) {
            std::error_code ec;
            if (!fs::remove(folder, ec) || ec) {
                break; // not empty, or not there
            }
            if (folder == fs::path(t.topmost) || !folder.has_parent_path()) {
                break;
            }
            folder = folder.parent_path();
        }
    }
    return removed;
}

} // namespace bridge

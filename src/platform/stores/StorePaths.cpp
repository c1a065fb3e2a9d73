#include "platform/stores/StorePaths.h"

#include <cstdlib>

#include "platform/crypt/CryptErrors.h"

namespace platform::stores {

std::string quillionHome() {
    const char* home = std::getenv("QUILLION_HOME");
    if (home != nullptr && *home != '\0') {
        std::string h = home;
        while (h.size() > 1 && h.back() == '/') {
            h.pop_back();
        }
        return h;
    }
    const char* user = std::getenv("HOME");
    return std::string(user != nullptr && *user != '\0' ? user : "/tmp") + "/.quillion";
}

std::string storeFolder(StoreLocation location, const std::string& name) {
    if (name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos ||
        name.find('\0') != std::string::npos) {
        crypt::raiseCrypt(__FILE__, __LINE__, crypt::errors::ERROR_INVALID_PARAMETER);
    }
    return quillionHome() + "/stores/" +
           (location == StoreLocation::LocalMachine ? "LocalMachine/" : "CurrentUser/") + name;
}

std::string systemRootsFolder() {
    return "/etc/ssl/certs";
}

} // namespace platform::stores

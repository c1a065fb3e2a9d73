#include "bridge/HostManifest.h"

#include <nlohmann/json.hpp>

namespace bridge {

namespace {

nlohmann::ordered_json common(const std::string& hostPath) {
    return {{"name", HostManifest::kHostName},
            {"description", "Quillion2: firma electrónica para páginas web"},
            {"path", hostPath},
            {"type", "stdio"}};
}

} // namespace

std::string HostManifest::chromium(const std::string& hostPath) {
    nlohmann::ordered_json manifest = common(hostPath);
    manifest["allowed_origins"] = {kChromiumOrigin};
    return manifest.dump(2) + "\n";
}

std::string HostManifest::firefox(const std::string& hostPath) {
    nlohmann::ordered_json manifest = common(hostPath);
    manifest["allowed_extensions"] = {kFirefoxExtension};
    return manifest.dump(2) + "\n";
}

} // namespace bridge

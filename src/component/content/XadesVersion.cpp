#include "component/content/XadesVersion.h"

#include <mutex>

namespace component::content {

namespace {
std::mutex versionMutex;
std::string& versionText() {
    static std::string text = "1.2.2";
    return text;
}
} // namespace

std::string XadesVersion::get() {
    std::lock_guard<std::mutex> lock(versionMutex);
    return versionText();
}

void XadesVersion::set(const std::string& version) {
    std::lock_guard<std::mutex> lock(versionMutex);
    versionText() = version;
}

} // namespace component::content

#include "stream/System.h"

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <sys/stat.h>
#include <sys/utsname.h>

#include "stream/ElfVersionNote.h"
#include "stream/Properties.h"
#include "stream/exceptions/FileStreamException.h"
#include "stream/exceptions/Win32ErrorException.h"

namespace stream {

namespace {

constexpr uint32_t kErrorFileNotFound = 2;
constexpr uint32_t kErrorInvalidHandle = 6;
constexpr uint32_t kErrorResourceTypeNotFound = 1813;

thread_local uint32_t tLastError = 0;

[[noreturn]] void raise(uint32_t code, int line) {
    System::setLastError(code);
    throw exceptions::Win32ErrorException(__FILE__, line, code);
}

// The value of KEY in an os-release file: quotes removed, backslash escapes resolved.
std::string osReleaseValue(const Properties& release, const std::string& key) {
    std::string raw = release.getProperty(key, "");
    if (raw.size() >= 2 && (raw.front() == '"' || raw.front() == '\'') &&
        raw.back() == raw.front()) {
        raw = raw.substr(1, raw.size() - 2);
    }
    std::string value;
    for (size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] == '\\' && i + 1 < raw.size()) {
            ++i;
        }
        value.push_back(raw[i]);
    }
    return value;
}

std::string distributionName() {
    for (const char* path : {"/etc/os-release", "/usr/lib/os-release"}) {
        try {
            Properties release;
            release.loadFile(path);
            std::string name = osReleaseValue(release, "PRETTY_NAME");
            if (name.empty()) {
                name = osReleaseValue(release, "NAME");
            }
            return name;
        } catch (const exceptions::StreamException&) {
            // try the next location
        }
    }
    return std::string();
}

bool knownRegistryRoot(std::string_view root) {
    static constexpr std::array<std::string_view, 14> kRoots = {
        "HKCR", "HKEY_CLASSES_ROOT",  "HKCU", "HKEY_CURRENT_USER",     "HKLM", "HKEY_LOCAL_MACHINE",
        "HKU",  "HKEY_USERS",         "HKPD", "HKEY_PERFORMANCE_DATA", "HKDD", "HKEY_DYN_DATA",
        "HKCC", "HKEY_CURRENT_CONFIG"};
    for (std::string_view known : kRoots) {
        if (root == known) {
            return true;
        }
    }
    return false;
}

} // namespace

uint32_t System::lastError() noexcept {
    return tLastError;
}

void System::setLastError(uint32_t code) noexcept {
    tLastError = code;
}

std::string System::tempPath() {
    const char* fromEnvironment = std::getenv("TMPDIR");
    std::string path = fromEnvironment && *fromEnvironment ? fromEnvironment : "/tmp";
    if (path.back() != '/') {
        path.push_back('/');
    }
    return path;
}

std::string System::fileVersion(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        raise(errno == ENOENT || errno == ENOTDIR ? kErrorFileNotFound : kErrorResourceTypeNotFound,
              __LINE__);
    }
    std::optional<FileVersionWords> words;
    try {
        words = readElfVersionNote(path);
    } catch (const exceptions::FileStreamException&) {
        raise(kErrorResourceTypeNotFound, __LINE__);
    }
    if (!words) {
        raise(kErrorResourceTypeNotFound, __LINE__);
    }
    char text[48];
    std::snprintf(text, sizeof text, "%d.%d.%d.%d", int(words->mostSignificant >> 16),
                  int(words->mostSignificant & 0xFFFF), int(words->leastSignificant >> 16),
                  int(words->leastSignificant & 0xFFFF));
    return text;
}

std::string System::osDescription() {
    std::string distribution = distributionName();
    struct utsname names {};
    if (::uname(&names) != 0) {
        return distribution;
    }
    std::string kernel = std::string(names.sysname) + " " + names.release + " " + names.machine;
    return distribution.empty() ? kernel : distribution + " (" + kernel + ")";
}

std::string System::browserUserAgent() {
    return std::string();
}

std::string System::browserVersion() {
    // The browser's path would come from the registry, which this platform does not have.
    return std::string();
}

std::string System::registryValue(const std::string& fullPath) {
    std::string_view path(fullPath);
    std::string_view root = path.substr(0, path.find('\\'));
    if (!knownRegistryRoot(root)) {
        raise(kErrorInvalidHandle, __LINE__);
    }
    // A known root, but no key exists on this platform.
    raise(kErrorFileNotFound, __LINE__);
}

} // namespace stream

#pragma once

#include <optional>
#include <string>

namespace platform::ui {

// The checks an open or save dialog makes before it accepts a typed path.
class DialogPaths {
public:
    // The absolute form of path when it names an existing regular file, else nullopt.
    static std::optional<std::string> existingFile(const std::string& path);
    // The absolute form of path when its folder exists and path is not a folder, else nullopt.
    static std::optional<std::string> savablePath(const std::string& path);
    static bool exists(const std::string& path);
};

} // namespace platform::ui

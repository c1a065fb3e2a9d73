#include "platform/ui/DialogPaths.h"

#include <filesystem>
#include <system_error>

namespace platform::ui {

namespace fs = std::filesystem;

namespace {

std::optional<fs::path> absoluteOf(const std::string& path) {
    if (path.empty()) {
        return std::nullopt;
    }
    std::error_code ec;
    fs::path full = fs::absolute(fs::path(path), ec);
    if (ec) {
        return std::nullopt;
    }
    return full.lexically_normal();
}

} // namespace

std::optional<std::string> DialogPaths::existingFile(const std::string& path) {
    auto full = absoluteOf(path);
    std::error_code ec;
    if (!full || !fs::is_regular_file(*full, ec)) {
        return std::nullopt;
    }
    return full->string();
}

std::optional<std::string> DialogPaths::savablePath(const std::string& path) {
    auto full = absoluteOf(path);
    if (!full || !full->has_filename()) {
        return std::nullopt;
    }
    std::error_code ec;
    if (fs::is_directory(*full, ec)) {
        return std::nullopt;
    }
    fs::path folder = full->parent_path();
    if (!fs::is_directory(folder, ec)) {
        return std::nullopt;
    }
    return full->string();
}

bool DialogPaths::exists(const std::string& path) {
    std::error_code ec;
    return fs::exists(fs::path(path), ec);
}

} // namespace platform::ui

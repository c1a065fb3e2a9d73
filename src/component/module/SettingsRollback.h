#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace component::module {

// Puts settings of the process-wide table back as they were when an operation that writes
// them fails: remember() each name before writing it, keep() once the operation has
// succeeded. Unless kept, the destructor restores every remembered name to its value at the
// time it was first remembered (absent names become absent again).
class SettingsRollback {
public:
    SettingsRollback() = default;
    ~SettingsRollback();
    SettingsRollback(const SettingsRollback&) = delete;
    SettingsRollback& operator=(const SettingsRollback&) = delete;

    void remember(const std::string& name);
    // remember(name), then the table's set(name, value).
    void set(const std::string& name, const std::string& value);
    void keep() noexcept { kept_ = true; }

private:
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
    bool kept_ = false;
};

} // namespace component::module

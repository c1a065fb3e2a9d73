#pragma once

#include <map>
#include <string>
#include <vector>

namespace component::module {

// The process-wide table of named text settings, filled from the properties file when the
// module loads and written by QNCryptoSystem and by the working classes; every class reads
// its settings here at the moment it runs. Names are compared exactly (case-sensitive).
// There is no lock: the table is shared as is by every object in the process.
class SettingsTable {
public:
    static SettingsTable& instance();

    // The value, or "" when the name is absent. Never inserts.
    std::string get(const std::string& name) const;
    // Inserts or overwrites.
    void set(const std::string& name, const std::string& value);
    bool contains(const std::string& name) const { return values_.count(name) != 0; }
    // Removes the name (absent again, not empty).
    void erase(const std::string& name) { values_.erase(name); }
    // All names in ascending byte order.
    std::vector<std::string> names() const;
    // Empties the table (the module's unload; tests that load the module again).
    void clear() noexcept { values_.clear(); }

private:
    std::map<std::string, std::string> values_;
};

} // namespace component::module

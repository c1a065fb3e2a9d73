#include "component/module/SettingsRollback.h"

#include <algorithm>

#include "component/module/SettingsTable.h"

namespace component::module {

SettingsRollback::~SettingsRollback() {
    if (kept_) {
        return;
    }
    SettingsTable& table = SettingsTable::instance();
    for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
        if (it->second) {
            table.set(it->first, *it->second);
        } else {
            table.erase(it->first);
        }
    }
}

void SettingsRollback::remember(const std::string& name) {
    if (std::any_of(saved_.begin(), saved_.end(),
                    [&name](const auto& entry) { return entry.first == name; })) {
        return;
    }
    const SettingsTable& table = SettingsTable::instance();
    saved_.emplace_back(name, table.contains(name) ? std::optional(table.get(name)) : std::nullopt);
}

void SettingsRollback::set(const std::string& name, const std::string& value) {
    remember(name);
    SettingsTable::instance().set(name, value);
}

} // namespace component::module

#include "component/module/SettingsTable.h"

namespace component::module {

SettingsTable& SettingsTable::instance() {
    // Never destroyed by the static destructors: the unload hook empties it, and it may run
    // after them.
    static SettingsTable* table = new SettingsTable();
    return *table;
}

std::string SettingsTable::get(const std::string& name) const {
    auto it = values_.find(name);
    return it == values_.end() ? std::string() : it->second;
}

void SettingsTable::set(const std::string& name, const std::string& value) {
    values_[name] = value;
}

std::vector<std::string> SettingsTable::names() const {
    std::vector<std::string> result;
    result.reserve(values_.size());
    for (const auto& entry : values_) {
        result.push_back(entry.first);
    }
    return result;
}

} // namespace component::module

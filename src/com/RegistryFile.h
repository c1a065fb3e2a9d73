#pragma once

// The class registry as text, laid out like a .reg export:
//
//   Windows Registry Editor Version 5.00
//
//   [HKEY_CLASSES_ROOT\CLSID\{FA716EF6-BB7F-4F50-BE8B-1695477BD4A2}\InprocServer32]
//   @="/usr/lib/quillion/libquillion2.so"
//   "ThreadingModel"="both"
//
// Keys are paths below HKEY_CLASSES_ROOT separated by '\', compared case-insensitively (ASCII)
// and kept with the case they were created with. Values are strings; "" (written '@') is the
// default value. In quoted text '\' and '"' are escaped with '\'.

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace com {

class RegistryFile {
public:
    // Parses the text; unknown or malformed lines are skipped.
    static RegistryFile parse(std::string_view text);
    std::string serialize() const;

    void createKey(std::string_view key);
    void setValue(std::string_view key, std::string_view name, std::string_view value);
    std::optional<std::string> value(std::string_view key, std::string_view name = {}) const;
    bool hasKey(std::string_view key) const;
    // Removes the key and every key below it; false when it did not exist.
    bool deleteTree(std::string_view key);
    bool deleteValue(std::string_view key, std::string_view name);
    // Names of the immediate subkeys, in file order.
    std::vector<std::string> subKeys(std::string_view key) const;
    // Values of the key (name, value) in the order they were set; "" is the default value.
    std::vector<std::pair<std::string, std::string>> values(std::string_view key) const;
    std::vector<std::string> keys() const;

    // False for a key the file cannot hold (empty, or with a line break in it); creating or
    // setting such a key does nothing.
    static bool isValidKey(std::string_view key);
    // "hkey_classes_root\Clsid\{x}\" -> "Clsid\{x}": strips the root and stray separators.
    static std::string normalize(std::string_view key);

private:
    struct Key {
        std::string path; // as first created
        std::vector<std::pair<std::string, std::string>> values;
    };
    Key* find(std::string_view normalizedKey);
    const Key* find(std::string_view normalizedKey) const;
    Key& ensure(const std::string& normalizedKey);

    std::vector<Key> keys_; // in creation order
};

} // namespace com

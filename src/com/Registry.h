#pragma once

// The class registry file: $QUILLION_HOME/registry (default $HOME/.quillion/registry).
// Every change is one locked read-modify-write: an exclusive flock on "registry.lock" beside
// the file serialises writers, and the new text is written to a temporary file that is
// renamed over the registry, so a reader always sees a whole file.
//
// Keys are relative to HKEY_CLASSES_ROOT ("CLSID\\{...}\\InprocServer32"); a leading
// "HKEY_CLASSES_ROOT\\" is accepted. Failures: REGDB_E_WRITEREGDB (cannot write),
// REGDB_E_READREGDB (cannot read), REGDB_E_KEYMISSING (deleting a key that is not there),
// E_INVALIDARG (a key the file cannot hold: empty or with a line break).

#include "com/HResult.h"
#include "com/RegistryFile.h"

#include <functional>

namespace com {

class Registry {
public:
    static std::string filePath();
    static std::string homeDirectory();

    static HRESULT createKey(std::string_view key);
    // Creates the key when needed; name "" is the default value.
    static HRESULT setValue(std::string_view key, std::string_view name, std::string_view value);
    static std::optional<std::string> value(std::string_view key, std::string_view name = {});
    static bool hasKey(std::string_view key);
    static HRESULT deleteTree(std::string_view key);
    static HRESULT deleteValue(std::string_view key, std::string_view name);
    static std::vector<std::string> subKeys(std::string_view key);
    static std::vector<std::pair<std::string, std::string>> values(std::string_view key);

    // Several changes in one locked read-modify-write; the file is rewritten only when
    // `edit` returns S_OK / S_FALSE, and its failure code is returned otherwise.
    static HRESULT update(const std::function<HRESULT(RegistryFile&)>& edit);
    // The registry as it is now (empty when the file does not exist).
    static RegistryFile snapshot();
};

} // namespace com

#pragma once

#include <string>

namespace platform::stores {

// Where a store lives: CAPICOM's location numbers.
enum class StoreLocation { LocalMachine = 1, CurrentUser = 2 };

// $QUILLION_HOME, else $HOME/.quillion (no trailing "/").
std::string quillionHome();
// $QUILLION_HOME/stores/CurrentUser/<name> (or LocalMachine). Raises CryptException
// ERROR_INVALID_PARAMETER for an empty name or one that is not a single path component.
std::string storeFolder(StoreLocation location, const std::string& name);
// The folder of the system's trusted roots, added read-only to every ROOT store.
std::string systemRootsFolder();

} // namespace platform::stores

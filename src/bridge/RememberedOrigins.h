#pragma once

// The origins the user has allowed: $QUILLION_HOME/bridge/origins, one origin per line. The
// folder is created 0700 and the file 0600; a change is written to a new file renamed over
// the old one, so a reader never sees half a list.

#include <string>
#include <vector>

namespace bridge {

class RememberedOrigins {
public:
    // The list under `home` (normally com::Registry::homeDirectory()).
    explicit RememberedOrigins(std::string home);

    bool contains(const std::string& origin) const;
    // Adds the origin and writes the list; raises std::runtime_error when it cannot be saved.
    void remember(const std::string& origin);
    std::string filePath() const;

private:
    std::vector<std::string> load() const;

    std::string home_;
};

} // namespace bridge

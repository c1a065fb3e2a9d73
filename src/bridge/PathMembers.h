#pragma once

// The members of the component's classes that name files on this machine. A page may not
// call those that take a path (it would read, write or probe any file the user can reach);
// the dialogs, which give back a path the user picked, stay open to it.

#include "com/Guid.h"

#include <string>
#include <string_view>

namespace bridge {

class PathMembers {
public:
    struct Entry {
        const char* interfaceName; // "IQNContent"
        IID iid;
        const char* member;
    };

    // Members that take a path.
    static const Entry* refused(std::size_t* count);
    // Dialogs that give back the path the user chose.
    static const Entry* dialogs(std::size_t* count);

    // Whether `member` (matched case-insensitively) of the interface `iid` takes a path.
    static bool isRefused(REFIID iid, std::string_view member);
};

} // namespace bridge

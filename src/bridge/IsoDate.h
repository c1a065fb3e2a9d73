#pragma once

// Automation dates as ISO 8601 text in UTC ("2026-12-09T20:15:00.000Z"). A VT_DATE holds
// local time with no zone, so the conversion goes through the local time zone, as a script
// host's Date does.

#include "com/Types.h"

#include <optional>
#include <string>
#include <string_view>

namespace bridge {

class IsoDate {
public:
    // "YYYY-MM-DDTHH:MM:SS.mmmZ"; nullopt when the date cannot be represented.
    static std::optional<std::string> format(DATE date);
    // Accepts "YYYY-MM-DDTHH:MM[:SS[.fff]]" followed by "Z" or "+HH:MM" / "-HH:MM", and a
    // bare "YYYY-MM-DD" (midnight UTC). nullopt for anything else or a date out of range.
    static std::optional<DATE> parse(std::string_view text);
};

} // namespace bridge

#pragma once

// Automation dates (VT_DATE): days since 1899-12-30 00:00 as a double, in local time with
// no zone. For negative values the fraction counts forwards from the day, as OLE does
// (-1.25 is 1899-12-29 06:00).

#include "com/Types.h"

#include <ctime>
#include <optional>

namespace com {

struct DateParts {
    int year = 1899; // 100 .. 9999
    int month = 12;  // 1 .. 12
    int day = 30;    // 1 .. 31
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
};

// nullopt when a part is out of range.
std::optional<DATE> dateFromParts(const DateParts& parts);
// nullopt when the value is outside 100-01-01 .. 9999-12-31 or not a number; rounded to the
// nearest millisecond.
std::optional<DateParts> dateToParts(DATE date);
// Through the local time zone (localtime_r / mktime), as Windows' SystemTimeToVariantTime
// over local times does.
std::optional<DATE> dateFromTimeT(std::time_t t);
std::optional<std::time_t> dateToTimeT(DATE date);
// Milliseconds since 1970-01-01 UTC (JavaScript Date values), through the local zone.
std::optional<DATE> dateFromUnixMillis(double millis);
std::optional<double> dateToUnixMillis(DATE date);

} // namespace com

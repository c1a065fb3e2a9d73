#include "com/OleDate.h"

#include <cmath>

namespace com {

namespace {

constexpr double kMinDate = -657434.0;        // 100-01-01
constexpr double kMaxDate = 2958465.99999999; // 9999-12-31 23:59:59.999
constexpr std::int64_t kEpochOffset = -25569; // 1899-12-30 in days since 1970-01-01
constexpr std::int64_t kMillisPerDay = 86400000;

// Days since 1970-01-01 of a proleptic Gregorian date (H. Hinnant's algorithm).
std::int64_t daysFromCivil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void civilFromDays(std::int64_t z, int& y, int& m, int& d) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t yy = static_cast<std::int64_t>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(yy + (m <= 2));
}

bool leap(int y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int daysInMonth(int y, int m) {
    static constexpr int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && leap(y) ? 29 : days[m - 1];
}

// The local time of `t` plus `millis`, as an automation date.
std::optional<DATE> localDate(std::time_t t, int millis) {
    std::tm local{};
    if (!localtime_r(&t, &local)) {
        return std::nullopt;
    }
    DateParts p;
    p.year = local.tm_year + 1900;
    p.month = local.tm_mon + 1;
    p.day = local.tm_mday;
    p.hour = local.tm_hour;
    p.minute = local.tm_min;
    p.second = local.tm_sec > 59 ? 59 : local.tm_sec; // a leap second
    p.millisecond = millis;
    return dateFromParts(p);
}

} // namespace

std::optional<DATE> dateFromParts(const DateParts& p) {
    if (p.year < 100 || p.year > 9999 || p.month < 1 || p.month > 12 || p.day < 1 ||
        p.day > daysInMonth(p.year, p.month) || p.hour < 0 || p.hour > 23 || p.minute < 0 ||
        p.minute > 59 || p.second < 0 || p.second > 59 || p.millisecond < 0 ||
        p.millisecond > 999) {
        return std::nullopt;
    }
    std::int64_t days =
        daysFromCivil(p.year, static_cast<unsigned>(p.month), static_cast<unsigned>(p.day)) -
        kEpochOffset;
    double fraction =
        ((p.hour * 3600.0 + p.minute * 60.0 + p.second) * 1000.0 + p.millisecond) / kMillisPerDay;
    double value =
        days >= 0 ? static_cast<double>(days) + fraction : static_cast<double>(days) - fraction;
    return value;
}

std::optional<DateParts> dateToParts(DATE date) {
    if (!std::isfinite(date) || date < kMinDate - 1 || date > kMaxDate) {
        return std::nullopt;
    }
    double whole = std::trunc(date);
    double fraction = std::fabs(date - whole);
    auto days = static_cast<std::int64_t>(whole);
    auto millis = static_cast<std::int64_t>(std::llround(fraction * kMillisPerDay));
    if (millis >= kMillisPerDay) {
        millis -= kMillisPerDay;
        days += 1;
    }
    DateParts p;
    civilFromDays(days + kEpochOffset, p.year, p.month, p.day);
    if (p.year < 100 || p.year > 9999) {
        return std::nullopt;
    }
    p.hour = static_cast<int>(millis / 3600000);
    p.minute = static_cast<int>(millis / 60000 % 60);
    p.second = static_cast<int>(millis / 1000 % 60);
    p.millisecond = static_cast<int>(millis % 1000);
    return p;
}

std::optional<DATE> dateFromTimeT(std::time_t t) {
    return localDate(t, 0);
}

std::optional<std::time_t> dateToTimeT(DATE date) {
    auto p = dateToParts(date);
    if (!p) {
        return std::nullopt;
    }
    std::tm local{};
    local.tm_year = p->year - 1900;
    local.tm_mon = p->month - 1;
    local.tm_mday = p->day;
    local.tm_hour = p->hour;
    local.tm_min = p->minute;
    local.tm_sec = p->second;
    local.tm_isdst = -1;
    std::time_t t = mktime(&local);
    if (t == static_cast<std::time_t>(-1) && (p->year != 1969 || p->month != 12)) {
        return std::nullopt;
    }
    return t;
}

std::optional<DATE> dateFromUnixMillis(double millis) {
    if (!std::isfinite(millis)) {
        return std::nullopt;
    }
    double seconds = std::floor(millis / 1000.0);
    if (std::fabs(seconds) > 4.0e11) {
        return std::nullopt;
    }
    int rest = static_cast<int>(millis - seconds * 1000.0);
    return localDate(static_cast<std::time_t>(seconds), rest < 0 ? 0 : rest > 999 ? 999 : rest);
}

std::optional<double> dateToUnixMillis(DATE date) {
    auto p = dateToParts(date);
    if (!p) {
        return std::nullopt;
    }
    auto t = dateToTimeT(date);
    if (!t) {
        return std::nullopt;
    }
    return static_cast<double>(*t) * 1000.0 + p->millisecond;
}

} // namespace com

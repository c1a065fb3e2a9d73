#include "bridge/IsoDate.h"

#include "com/OleDate.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <ctime>

namespace bridge {

namespace {

bool daysInMonthOk(int year, int month, int day) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    int limit = days[month - 1] + (month == 2 && leap ? 1 : 0);
    return day >= 1 && day <= limit;
}

// Reads exactly `digits` decimal digits at `pos`.
bool number(std::string_view text, std::size_t& pos, std::size_t digits, int& out) {
    if (pos + digits > text.size()) {
        return false;
    }
    for (std::size_t i = 0; i < digits; ++i) {
        char c = text[pos + i];
        if (c < '0' || c > '9') {
            return false;
        }
    }
    auto result = std::from_chars(text.data() + pos, text.data() + pos + digits, out);
    if (result.ec != std::errc()) {
        return false;
    }
    pos += digits;
    return true;
}

bool expect(std::string_view text, std::size_t& pos, char c) {
    if (pos < text.size() && text[pos] == c) {
        ++pos;
        return true;
    }
    return false;
}

} // namespace

std::optional<std::string> IsoDate::format(DATE date) {
    std::optional<double> millis = com::dateToUnixMillis(date);
    if (!millis || !std::isfinite(*millis)) {
        return std::nullopt;
    }
    auto total = static_cast<std::int64_t>(std::llround(*millis));
    std::int64_t seconds = total / 1000;
    std::int64_t rest = total % 1000;
    if (rest < 0) {
        rest += 1000;
        --seconds;
    }
    std::time_t t = static_cast<std::time_t>(seconds);
    std::tm utc{};
    if (!::gmtime_r(&t, &utc) || utc.tm_year + 1900 < 0 || utc.tm_year + 1900 > 9999) {
        return std::nullopt;
    }
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", utc.tm_year + 1900,
                  utc.tm_mon + 1, utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec,
                  static_cast<int>(rest));
    return std::string(buffer);
}

std::optional<DATE> IsoDate::parse(std::string_view text) {
    std::size_t pos = 0;
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, millis = 0;
    if (!number(text, pos, 4, year) || !expect(text, pos, '-') || !number(text, pos, 2, month) ||
        !expect(text, pos, '-') || !number(text, pos, 2, day)) {
        return std::nullopt;
    }
    if (month < 1 || month > 12 || !daysInMonthOk(year, month, day)) {
        return std::nullopt;
    }
    int offsetMinutes = 0;
    if (pos < text.size()) {
        if (!expect(text, pos, 'T') || !number(text, pos, 2, hour) || !expect(text, pos, ':') ||
            !number(text, pos, 2, minute)) {
            return std::nullopt;
        }
        if (expect(text, pos, ':')) {
            if (!number(text, pos, 2, second)) {
                return std::nullopt;
            }
            if (expect(text, pos, '.')) {
                std::size_t start = pos;
                int scale = 100;
                while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
                    millis += (text[pos] - '0') * scale;
                    scale /= 10;
                    ++pos;
                }
                if (pos == start) {
                    return std::nullopt;
                }
            }
        }
        if (hour > 23 || minute > 59 || second > 59) {
            return std::nullopt;
        }
        if (expect(text, pos, 'Z')) {
            offsetMinutes = 0;
        } else if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
            int sign = text[pos] == '-' ? -1 : 1;
            ++pos;
            int oh = 0, om = 0;
            if (!number(text, pos, 2, oh) || !expect(text, pos, ':') || !number(text, pos, 2, om) ||
                oh > 23 || om > 59) {
                return std::nullopt;
            }
            offsetMinutes = sign * (oh * 60 + om);
        } else {
            return std::nullopt;
        }
        if (pos != text.size()) {
            return std::nullopt;
        }
    }
    std::tm utc{};
    utc.tm_year = year - 1900;
    utc.tm_mon = month - 1;
    utc.tm_mday = day;
    utc.tm_hour = hour;
    utc.tm_min = minute;
    utc.tm_sec = second;
    std::time_t t = ::timegm(&utc);
    double unixMillis =
        (static_cast<double>(t) - offsetMinutes * 60.0) * 1000.0 + static_cast<double>(millis);
    return com::dateFromUnixMillis(unixMillis);
}

} // namespace bridge

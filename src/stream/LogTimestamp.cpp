#include "stream/LogTimestamp.h"

#include <cstdio>

namespace stream {

LogTimestamp LogTimestamp::now() {
    // The local-time conversion dominates the cost of a log line; it changes once a second.
    thread_local std::time_t cachedSecond = static_cast<std::time_t>(-1);
    thread_local LogTimestamp cached;
    std::time_t instant = std::time(nullptr);
    if (instant != cachedSecond) {
        cached = at(instant);
        cachedSecond = instant;
    }
    return cached;
}

LogTimestamp LogTimestamp::at(std::time_t instant) {
    std::tm local{};
    if (localtime_r(&instant, &local) == nullptr) {
        local = std::tm{};
        local.tm_mday = 1;
        local.tm_year = 70;
    }
    char date[16];
    char time[16];
    std::snprintf(date, sizeof date, "%02d/%02d/%02d", (local.tm_mon + 1) % 100,
                  local.tm_mday % 100, (local.tm_year + 1900) % 100);
    std::snprintf(time, sizeof time, "%02d:%02d:%02d", local.tm_hour % 100, local.tm_min % 100,
                  local.tm_sec % 100);
    return LogTimestamp{date, time};
}

} // namespace stream

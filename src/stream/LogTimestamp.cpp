#include "stream/LogTimestamp.h"

#include <cstdio>

namespace stream {

LogTimestamp LogTimestamp::now() {
    // The local-time conversion dominates the cost of a log line; it changes once a second.
    // The cache is plain data: a thread-local object with a destructor would keep a module
    // that contains this code from being unloaded.
    struct Cache {
        std::time_t second;
        char date[9];
        char time[9];
    };
    thread_local Cache cache = {static_cast<std::time_t>(-1), {}, {}};
    std::time_t instant = std::time(nullptr);
    if (instant != cache.second) {
        LogTimestamp fresh = at(instant);
        std::snprintf(cache.date, sizeof cache.date, "%s", fresh.date.c_str());
        std::snprintf(cache.time, sizeof cache.time, "%s", fresh.time.c_str());
        cache.second = instant;
    }
    return LogTimestamp{cache.date, cache.time};
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

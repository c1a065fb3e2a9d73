#include "stream/LogTimestamp.h"

#include <cstdio>

namespace stream {

LogTimestamp LogTimestamp::now() {
    return at(std::time(nullptr));
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

#pragma once

#include <ctime>
#include <string>

namespace stream {

// Local date "MM/DD/YY" and time "HH:MM:SS" of one instant, as the log writes them.
struct LogTimestamp {
    std::string date;
    std::string time;

    static LogTimestamp now();
    static LogTimestamp at(std::time_t instant);
    // date + " " + time
    std::string text() const { return date + " " + time; }
};

} // namespace stream

#pragma once

#include "stream/Log.h"
#include "stream/LogLevel.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace component::pdf {

// Writes one line to the component log; the text is only built when the level is enabled.
inline void pdfLog(uint32_t level, std::string_view message) {
    stream::Log& log = stream::Log::instance();
    if (log.enabled(level)) {
        log.log(level, message);
    }
}

template <typename Build> void pdfLogLazy(uint32_t level, Build build) {
    stream::Log& log = stream::Log::instance();
    if (log.enabled(level)) {
        log.log(level, std::string(build()));
    }
}

inline void pdfInfo(std::string_view message) {
    pdfLog(stream::LOG_INFO, message);
}
inline void pdfError(std::string_view message) {
    pdfLog(stream::LOG_ERROR, message);
}

} // namespace component::pdf

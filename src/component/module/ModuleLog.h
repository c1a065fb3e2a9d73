#pragma once

#include <string_view>

#include "stream/Log.h"
#include "stream/LogLevel.h"

namespace component::module {

// Shorthands for the process-wide log.
inline void logTrace(std::string_view message) {
    stream::Log::instance().log(stream::LOG_TRACE, message);
}
inline void logInfo(std::string_view message) {
    stream::Log::instance().log(stream::LOG_INFO, message);
}
inline void logError(std::string_view message) {
    stream::Log::instance().log(stream::LOG_ERROR, message);
}
inline bool logEnabled(uint32_t level) {
    return stream::Log::instance().enabled(level);
}

// "%i" of an object's address, as the constructors and destructors log it.
inline int addressNumber(const void* object) {
    return static_cast<int>(reinterpret_cast<uintptr_t>(object));
}

} // namespace component::module

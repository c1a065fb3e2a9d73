// The properties file as the module reads it at load: every line, and the values the module
// interprets (the level expression, the log size). Reading never fails on any bytes, and
// what was read is what the lines say.
#include "stream/LogLevel.h"
#include "stream/LogSize.h"
#include "stream/Properties.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    stream::Properties properties;
    properties.load(bytes);
    for (const std::string& name : properties.propertyNames()) {
        std::string value = properties.getProperty(name, "");
        // A key never holds the separator, a line end or blanks at its ends.
        if (name.find('=') != std::string::npos || name.find('\n') != std::string::npos ||
            name.find('\r') != std::string::npos ||
            (!name.empty() && (name.front() == ' ' || name.back() == ' ' || name.front() == '#'))) {
            std::abort();
        }
        if ((stream::parseLevel(value) & ~stream::LOG_ALL) != 0) {
            std::abort();
        }
        stream::parseLogSize(value);
    }
    return 0;
}

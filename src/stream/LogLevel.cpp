#include "stream/LogLevel.h"

#include <string>

#include "stream/StringUtil.h"

namespace stream {

namespace {

struct LevelName {
    std::string_view name;
    uint32_t value;
};

constexpr LevelName kLevels[] = {
    {"LOG_ERROR", LOG_ERROR}, {"LOG_WARNING", LOG_WARNING}, {"LOG_INFO", LOG_INFO},
    {"LOG_TRACE", LOG_TRACE}, {"LOG_ALL", LOG_ALL},         {"LOG_NONE", LOG_NONE},
};

constexpr std::string_view kBlanks = " \t";

uint32_t levelValue(std::string_view word) {
    for (const LevelName& level : kLevels) {
        if (level.name == word) {
            return level.value;
        }
    }
    return 0;
}

} // namespace

uint32_t parseLevel(std::string_view text) {
    uint32_t mask = 0;
    size_t start = 0;
    while (true) {
        size_t bar = text.find('|', start);
        std::string_view piece = text.substr(
            start, bar == std::string_view::npos ? std::string_view::npos : bar - start);
        std::string word = StringUtil::toUpperCase(StringUtil::trim(piece, kBlanks));
        bool removal = !word.empty() && word[0] == '~';
        if (removal) {
            std::string kept;
            for (char c : word) {
                if (c != '~') {
                    kept.push_back(c);
                }
            }
            word = StringUtil::trim(kept, kBlanks);
        }
        uint32_t value = levelValue(word);
        if (value == 0) {
            return 0;
        }
        if (!removal) {
            mask |= value;
        } else if (mask != 0) {
            mask &= ~value;
        }
        if (bar == std::string_view::npos) {
            return mask;
        }
        start = bar + 1;
    }
}

std::string_view levelTag(uint32_t level) {
    switch (level) {
    case LOG_ERROR:
        return "ERROR:";
    case LOG_WARNING:
        return "WARNING:";
    case LOG_INFO:
        return "INFO:";
    case LOG_TRACE:
        return "TRACE:";
    default:
        return "";
    }
}

} // namespace stream

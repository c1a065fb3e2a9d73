#include "stream/Properties.h"

#include <sys/stat.h>
#include <unistd.h>

#include "stream/FileInputStream.h"
#include "stream/StringUtil.h"
#include "stream/exceptions/FileStreamException.h"

namespace stream {

namespace {

constexpr std::string_view kBlanks = " \t";

} // namespace

void Properties::load(FileInputStream& input) {
    std::string bytes;
    unsigned char chunk[65536];
    size_t got;
    while ((got = input.read(chunk, sizeof chunk)) > 0) {
        bytes.append(reinterpret_cast<const char*>(chunk), got);
    }
    load(bytes);
}

void Properties::loadFile(const std::string& path) {
    FileInputStream input(path);
    struct stat info {};
    if (::fstat(input.descriptor(), &info) != 0 || !S_ISREG(info.st_mode) ||
        (info.st_uid != ::geteuid() && info.st_uid != 0) || (info.st_mode & S_IWOTH) != 0) {
        throw exceptions::FileStreamException::cannotRead(path);
    }
    load(input);
}

void Properties::load(std::string_view bytes) {
    size_t start = 0;
    while (start <= bytes.size()) {
        size_t end = bytes.find('\n', start);
        std::string_view line = bytes.substr(
            start, end == std::string_view::npos ? std::string_view::npos : end - start);
        parseLine(line);
        if (end == std::string_view::npos) {
            break;
        }
        start = end + 1;
    }
}

void Properties::parseLine(std::string_view raw) {
    std::string line;
    line.reserve(raw.size());
    for (char c : raw) {
        if (c != '\r') {
            line.push_back(c);
        }
    }
    line = StringUtil::trim(line, kBlanks);
    if (line.empty() || line[0] == '#') {
        return;
    }
    size_t equals = line.find('=');
    if (equals == std::string::npos) {
        return;
    }
    std::string key = StringUtil::trim(std::string_view(line).substr(0, equals), kBlanks);
    std::string value = StringUtil::trim(std::string_view(line).substr(equals + 1), kBlanks);
    values_[std::move(key)] = std::move(value);
}

std::string Properties::getProperty(const std::string& key, const std::string& defaultValue) const {
    auto found = values_.find(key);
    return found == values_.end() ? defaultValue : found->second;
}

std::vector<std::string> Properties::propertyNames() const {
    std::vector<std::string> names;
    names.reserve(values_.size());
    for (const auto& entry : values_) {
        names.push_back(entry.first);
    }
    return names;
}

} // namespace stream

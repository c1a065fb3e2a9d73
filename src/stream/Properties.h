#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace stream {

class FileInputStream;

// "key = value" lines: a line ends at LF, every CR is dropped, spaces and tabs are trimmed, a
// line starting with "#" is a comment, empty lines and lines without "=" are ignored; key and
// value are trimmed; later lines overwrite earlier ones. Keys are case-sensitive.
class Properties {
public:
    void load(FileInputStream& input);
    void load(std::string_view bytes);
    // Reads the file; raises FileStreamException "Can't open file <path> for read", also when
    // the file is not a regular file, belongs to another user (root excepted) or may be
    // written by every user: the properties file lives in a shared temporary directory and
    // chooses where the log writes.
    void loadFile(const std::string& path);

    std::string getProperty(const std::string& key, const std::string& defaultValue = "") const;
    bool contains(const std::string& key) const { return values_.count(key) != 0; }
    void setProperty(const std::string& key, const std::string& value) { values_[key] = value; }
    // All keys in ascending byte order.
    std::vector<std::string> propertyNames() const;
    size_t size() const noexcept { return values_.size(); }

private:
    void parseLine(std::string_view line);

    std::map<std::string, std::string> values_;
};

} // namespace stream

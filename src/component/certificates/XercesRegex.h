#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace component::certificates {

// A Xerces-C RegularExpression over UTF-8 text: `matches` finds the expression anywhere in
// the text (Xerces's search semantics), `replace` substitutes every match. A malformed
// pattern raises std::invalid_argument.
class XercesRegex {
public:
    explicit XercesRegex(const std::string& pattern, const char* options = nullptr);
    ~XercesRegex();
    XercesRegex(const XercesRegex&) = delete;
    XercesRegex& operator=(const XercesRegex&) = delete;

    bool matches(const std::string& text) const;
    // Group 0 (the whole match) and every capture group, or nullopt when it does not match.
    std::optional<std::vector<std::string>> groups(const std::string& text) const;
    std::string replace(const std::string& text, const std::string& replacement) const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace component::certificates

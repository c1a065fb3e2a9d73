#pragma once

#include <string>
#include <string_view>

#include <xercesc/util/XercesDefs.hpp>

namespace platform::xml {

// The one conversion between the XML libraries' texts (UTF-16 XMLCh) and the narrow texts of
// this system (UTF-8, the ANSI code page). Independent of the process locale: invalid UTF-8
// becomes U+FFFD, a lone surrogate becomes U+FFFD in UTF-8.

// An XML library text as UTF-8; "" for null.
std::string toUtf8(const XMLCh* text);
std::string toUtf8(const XMLCh* text, size_t length);

// A UTF-8 text as a zero-terminated XMLCh string for the XML libraries' calls.
class XmlString {
public:
    explicit XmlString(std::string_view utf8);

    const XMLCh* get() const noexcept { return text_.c_str(); }
    operator const XMLCh*() const noexcept { return text_.c_str(); }
    size_t size() const noexcept { return text_.size(); }

private:
    std::u16string text_;
};

} // namespace platform::xml

#include "component/certificates/XercesRegex.h"

#include <stdexcept>

#include <xercesc/util/XMLException.hpp>
#include <xercesc/util/XMLString.hpp>
#include <xercesc/util/regx/Match.hpp>
#include <xercesc/util/regx/RegularExpression.hpp>

#include "platform/xml/XmlLibraries.h"
#include "platform/xml/XmlText.h"

namespace component::certificates {

struct XercesRegex::Impl {
    std::unique_ptr<xercesc::RegularExpression> regex;
};

XercesRegex::XercesRegex(const std::string& pattern, const char* options)
    : impl_(std::make_unique<Impl>()) {
    platform::xml::XmlLibraries::require();
    platform::xml::XmlString p(pattern);
    try {
        if (options != nullptr) {
            platform::xml::XmlString o(options);
            impl_->regex = std::make_unique<xercesc::RegularExpression>(p.get(), o.get());
        } else {
            impl_->regex = std::make_unique<xercesc::RegularExpression>(p.get());
        }
    } catch (const xercesc::XMLException&) {
        throw std::invalid_argument("invalid regular expression: " + pattern);
    }
}

XercesRegex::~XercesRegex() = default;

bool XercesRegex::matches(const std::string& text) const {
    return impl_->regex->matches(platform::xml::XmlString(text).get());
}

std::optional<std::vector<std::string>> XercesRegex::groups(const std::string& text) const {
    platform::xml::XmlString t(text);
    xercesc::Match match;
    if (!impl_->regex->matches(t.get(), &match)) {
        return std::nullopt;
    }
    std::vector<std::string> out;
    for (int g = 0; g < match.getNoGroups(); ++g) {
        int start = match.getStartPos(g);
        int end = match.getEndPos(g);
        if (start < 0 || end < start || static_cast<size_t>(end) > t.size()) {
            out.emplace_back();
            continue;
        }
        out.push_back(platform::xml::toUtf8(t.get() + start, static_cast<size_t>(end - start)));
    }
    return out;
}

std::string XercesRegex::replace(const std::string& text, const std::string& replacement) const {
    platform::xml::XmlString t(text);
    platform::xml::XmlString r(replacement);
    XMLCh* result = nullptr;
    try {
        result = impl_->regex->replace(t.get(), r.get());
    } catch (const xercesc::XMLException&) {
        throw std::invalid_argument("invalid replacement");
    }
    std::string out = platform::xml::toUtf8(result);
    xercesc::XMLString::release(&result);
    return out;
}

} // namespace component::certificates

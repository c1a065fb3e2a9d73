#include "platform/xml/CompositeURIResolver.h"

#include <optional>

#include <xsec/framework/XSECException.hpp>

#include "platform/http/PageAccess.h"
#include "platform/xml/XmlLibraries.h"
#include "platform/xml/XmlText.h"

namespace platform::xml {

CompositeURIResolver::CompositeURIResolver(http::HttpSettings settings)
    : settings_(settings), http_(std::move(settings)) {}

bool CompositeURIResolver::accepts(std::string_view uri) {
    return LocalURIResolver::accepts(uri) || HttpURIResolver::accepts(uri);
}

xercesc::BinInputStream* CompositeURIResolver::resolveURI(const XMLCh* uri) {
    if (uri == nullptr) {
        return nullptr;
    }
    XmlLibraries::require();
    std::string text = toUtf8(uri);
    if (std::optional<std::string> origin = http::PageAccess::pageOrigin();
        origin && !http::PageAccess::allows(*origin, text)) {
        throw XSECException(XSECException::ErrorOpeningURI,
                            XmlString(http::PageAccess::refusal(*origin, text)).get());
    }
    if (LocalURIResolver::accepts(text)) {
        return local_.resolveURI(uri);
    }
    if (HttpURIResolver::accepts(text)) {
        return http_.resolveURI(uri);
    }
    throw XSECException(XSECException::ErrorOpeningURI,
                        XmlString("No resolver accepts the URI \"" + text +
                                  "\": only file://, http:// and https:// URLs and "
                                  "same-document references are resolved")
                            .get());
}

void CompositeURIResolver::setBaseURI(const XMLCh* uri) {
    local_.setBaseURI(uri);
    http_.setBaseURI(uri);
}

XSECURIResolver* CompositeURIResolver::clone() {
    auto* copy = new CompositeURIResolver(settings_);
    if (!local_.baseURI().empty()) {
        copy->local_.setBaseURI(local_.baseURI().c_str());
    }
    copy->http_.setBaseURI(XmlString(http_.baseURI()).get());
    return copy;
}

} // namespace platform::xml

#include "platform/xml/LocalURIResolver.h"

#include <xsec/framework/XSECURIResolverXerces.hpp>

#include "platform/xml/XmlLibraries.h"

namespace platform::xml {

LocalURIResolver::LocalURIResolver() : standard_(std::make_unique<XSECURIResolverXerces>()) {}

LocalURIResolver::~LocalURIResolver() = default;

bool LocalURIResolver::accepts(std::string_view uri) {
    return uri.empty() || uri.starts_with("file://") || uri.starts_with("#");
}

xercesc::BinInputStream* LocalURIResolver::resolveURI(const XMLCh* uri) {
    if (uri == nullptr) {
        return nullptr;
    }
    XmlLibraries::require();
    return standard_->resolveURI(uri);
}

void LocalURIResolver::setBaseURI(const XMLCh* uri) {
    baseURI_ = uri != nullptr ? std::u16string(uri) : std::u16string();
    standard_->setBaseURI(uri);
}

XSECURIResolver* LocalURIResolver::clone() {
    auto* copy = new LocalURIResolver();
    if (!baseURI_.empty()) {
        copy->setBaseURI(baseURI_.c_str());
    }
    return copy;
}

} // namespace platform::xml

#pragma once

#include <string_view>

#include <xsec/framework/XSECURIResolver.hpp>

#include "platform/http/HttpSettings.h"
#include "platform/xml/HttpURIResolver.h"
#include "platform/xml/LocalURIResolver.h"

namespace platform::xml {

// The resolver the XML signer installs (and the policy digests use): each URI goes to the
// local resolver when it accepts it, else to the HTTP resolver when it accepts it. A URI that
// neither accepts raises XSECException ErrorOpeningURI naming it.
class CompositeURIResolver : public XSECURIResolver {
public:
    explicit CompositeURIResolver(http::HttpSettings settings = http::HttpSettings());

    static bool accepts(std::string_view uri);

    // Null for a null URI.
    xercesc::BinInputStream* resolveURI(const XMLCh* uri) override;
    void setBaseURI(const XMLCh* uri) override;
    XSECURIResolver* clone() override;

private:
    http::HttpSettings settings_;
    LocalURIResolver local_;
    HttpURIResolver http_;
};

} // namespace platform::xml

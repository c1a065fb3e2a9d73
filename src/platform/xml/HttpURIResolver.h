#pragma once

#include <string>
#include <string_view>

#include <xsec/framework/XSECURIResolver.hpp>

#include "platform/http/HttpSettings.h"

namespace platform::xml {

// The resolver of "http://" and "https://" URIs: a GET through platform::http with a client of
// the default agent. A body that parses as XML (the safe parser, under kResolverInput) comes
// back re-serialised by the DOM writer in its declared encoding, so insignificant formatting
// may change before it is digested; any other body comes back byte for byte. A failed fetch
// (any status but 200, transport, TLS, time-out, body limit) raises XSECException
// HTTPURIInputStreamError with the reason: it is never digested as an empty body.
//
// The first URI resolved becomes the base URI when none is set; clone() copies it.
class HttpURIResolver : public XSECURIResolver {
public:
    explicit HttpURIResolver(http::HttpSettings settings = http::HttpSettings());

    static bool accepts(std::string_view uri);

    // Null for a null URI.
    xercesc::BinInputStream* resolveURI(const XMLCh* uri) override;
    void setBaseURI(const XMLCh* uri) override;
    XSECURIResolver* clone() override;

    const std::string& baseURI() const noexcept { return baseURI_; }
    // The bytes resolveURI streams for a fetched body.
    static std::string bodyBytes(std::string_view body);

private:
    http::HttpSettings settings_;
    std::string baseURI_;
};

} // namespace platform::xml

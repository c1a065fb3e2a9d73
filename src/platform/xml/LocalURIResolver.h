#pragma once

#include <memory>
#include <string>
#include <string_view>

#include <xsec/framework/XSECURIResolver.hpp>

class XSECURIResolverXerces;

namespace platform::xml {

// The resolver of local URIs: the empty URI, "file://" URLs and same-document references
// ("#..."), resolved by XML-Security-C's standard resolver (files through Xerces; the library
// itself dereferences same-document URIs without asking a resolver). A file that cannot be
// opened raises XSECException.
class LocalURIResolver : public XSECURIResolver {
public:
    LocalURIResolver();
    ~LocalURIResolver() override;
    LocalURIResolver(const LocalURIResolver&) = delete;
    LocalURIResolver& operator=(const LocalURIResolver&) = delete;

    static bool accepts(std::string_view uri);

    // Null for a null URI.
    xercesc::BinInputStream* resolveURI(const XMLCh* uri) override;
    void setBaseURI(const XMLCh* uri) override;
    XSECURIResolver* clone() override;

    const std::u16string& baseURI() const noexcept { return baseURI_; }

private:
    std::u16string baseURI_;
    std::unique_ptr<XSECURIResolverXerces> standard_;
};

} // namespace platform::xml

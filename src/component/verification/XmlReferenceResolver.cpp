#include "component/verification/XmlReferenceResolver.h"

#include <xsec/framework/XSECURIResolverXerces.hpp>

namespace component::verification {

std::unique_ptr<XSECURIResolver> newXmlReferenceResolver() {
    // XML-Security-C's own resolver: files and URLs through Xerces' input sources.
    return std::make_unique<XSECURIResolverXerces>();
}

} // namespace component::verification

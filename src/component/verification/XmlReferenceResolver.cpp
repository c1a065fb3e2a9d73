#include "component/verification/XmlReferenceResolver.h"

#include "platform/xml/CompositeURIResolver.h"

namespace component::verification {

std::unique_ptr<XSECURIResolver> newXmlReferenceResolver() {
    // The component's own resolvers: local files, then HTTP(S) through the platform client
    // with its time-outs, the same as the signer fetches through.
    return std::make_unique<platform::xml::CompositeURIResolver>();
}

} // namespace component::verification

#include "platform/xml/EnvelopedSignatureTransform.h"

#include "platform/xml/DomLookup.h"
#include "platform/xml/XmlDsigNames.h"
#include "platform/xml/XmlFailure.h"

namespace platform::xml {

void EnvelopedSignatureTransform::apply(NodeSet& set, const xercesc::DOMElement& transform) {
    const xercesc::DOMElement* signature =
        ancestorElement(transform, dsig::kNamespace, "Signature");
    if (signature == nullptr) {
        raiseXmlFailure("The enveloped-signature transform is not inside a Signature element");
    }
    set.excludeSubtree(signature);
}

} // namespace platform::xml

#include "component/verification/XmlReferenceRoute.h"

#include "platform/xml/DomLookup.h"
#include "platform/xml/ReferenceDigester.h"
#include "platform/xml/XmlDsigNames.h"

namespace component::verification {

namespace dsig = platform::xml::dsig;

bool digestedByXmlLayer(const xercesc::DOMElement& reference) {
    const xercesc::DOMElement* transforms =
        platform::xml::firstChildElement(reference, dsig::kNamespace, "Transforms");
    if (transforms == nullptr) {
        return false;
    }
    bool ours = false;
    for (const xercesc::DOMElement* transform :
         platform::xml::childElements(*transforms, dsig::kNamespace, "Transform")) {
        std::string algorithm = platform::xml::attributeText(*transform, "Algorithm");
        ours = ours || algorithm == dsig::kXPath || algorithm == dsig::kXPathFilter2 ||
               algorithm == dsig::kExclusiveC14n || algorithm == dsig::kExclusiveC14nWithComments;
    }
    return ours && platform::xml::ReferenceDigester::handles(reference);
}

} // namespace component::verification

#include "component/signing/LeafSignatureSearch.h"

#include <unordered_set>

#include <xercesc/dom/DOMAttr.hpp>
#include <xercesc/dom/DOMNamedNodeMap.hpp>

#include "platform/xml/DomLookup.h"
#include "platform/xml/XmlDsigNames.h"
#include "platform/xml/XmlText.h"

namespace component::signing {

namespace {

namespace dsig = platform::xml::dsig;

std::string signatureId(const xercesc::DOMElement& signature) {
    std::string id;
    const xercesc::DOMNamedNodeMap* attributes = signature.getAttributes();
    for (XMLSize_t i = 0; attributes != nullptr && i < attributes->getLength(); ++i) {
        const auto* attribute = static_cast<const xercesc::DOMAttr*>(attributes->item(i));
        const std::string name = platform::xml::toUtf8(attribute->getName());
        if (name == "Id" || name == "id" || name == "ID") {
            id = platform::xml::toUtf8(attribute->getValue());
        }
    }
    return id;
}

} // namespace

std::vector<LeafSignature> findLeafSignatures(xercesc::DOMDocument& document) {
    std::unordered_set<std::string> referenced;
    for (const xercesc::DOMElement* reference :
         platform::xml::descendantElements(document, dsig::kNamespace, "Reference")) {
        if (platform::xml::hasAttribute(*reference, "URI")) {
            referenced.insert(platform::xml::attributeText(*reference, "URI"));
        }
    }
    std::vector<LeafSignature> leaves;
    for (const xercesc::DOMElement* signature :
         platform::xml::descendantElements(document, dsig::kNamespace, "Signature")) {
        std::string id = signatureId(*signature);
        if (referenced.count("#" + id + "-SignatureValue1") == 0) {
            leaves.push_back({const_cast<xercesc::DOMElement*>(signature), std::move(id)});
        }
    }
    return leaves;
}

} // namespace component::signing

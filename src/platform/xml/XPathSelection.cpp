#include "platform/xml/XPathSelection.h"

#include <algorithm>

#include "platform/xml/XPathEngine.h"
#include "platform/xml/XmlFailure.h"
#include "stream/exceptions/StreamException.h"

namespace platform::xml {

std::vector<xercesc::DOMElement*> XPathSelection::elements(xercesc::DOMDocument& document,
                                                           std::string_view expression) {
    xercesc::DOMElement* root = document.getDocumentElement();
    if (root == nullptr) {
        return {};
    }
    std::vector<const xercesc::DOMNode*> found;
    try {
        XPathEngine engine(document);
        auto compiled = engine.compile(expression, nullptr);
        found = engine.select(*compiled, *root);
    } catch (const stream::exceptions::StreamException&) {
        return {};
    }
    // Xalan gives a union in the order of its operands.
    std::stable_sort(found.begin(), found.end(),
                     [](const xercesc::DOMNode* a, const xercesc::DOMNode* b) {
                         return (a->compareDocumentPosition(b) &
                                 xercesc::DOMNode::DOCUMENT_POSITION_FOLLOWING) != 0;
                     });
    std::vector<xercesc::DOMElement*> elements;
    elements.reserve(found.size());
    for (const xercesc::DOMNode* node : found) {
        switch (node->getNodeType()) {
        case xercesc::DOMNode::ELEMENT_NODE:
            elements.push_back(
                static_cast<xercesc::DOMElement*>(const_cast<xercesc::DOMNode*>(node)));
            break;
        case xercesc::DOMNode::DOCUMENT_NODE:
            elements.push_back(root);
            break;
        default:
            raiseXmlFailure("No se encontro un nodo de tipo válido");
        }
    }
    return elements;
}

} // namespace platform::xml

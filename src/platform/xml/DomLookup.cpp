#include "platform/xml/DomLookup.h"

#include <xercesc/util/XMLString.hpp>

#include "platform/xml/NodeSet.h"
#include "platform/xml/XmlText.h"

namespace platform::xml {

namespace {

// Compares an XMLCh text with an ASCII-or-UTF-8 name without converting the XMLCh text.
bool equals(const XMLCh* text, std::string_view utf8) {
    if (text == nullptr) {
        return utf8.empty();
    }
    size_t i = 0;
    for (; text[i] != 0; ++i) {
        if (i >= utf8.size()) {
            return false;
        }
        unsigned char c = static_cast<unsigned char>(utf8[i]);
        if (c >= 0x80) {
            return toUtf8(text) == utf8;
        }
        if (text[i] != c) {
            return false;
        }
    }
    return i == utf8.size();
}

// The first element with that name from `node` on, following `step` (siblings or parents).
const xercesc::DOMElement* matching(const xercesc::DOMNode* node,
                                    xercesc::DOMNode* (xercesc::DOMNode::*step)() const,
                                    std::string_view namespaceUri, std::string_view localName) {
    for (; node != nullptr; node = (node->*step)()) {
        if (hasName(*node, namespaceUri, localName)) {
            return static_cast<const xercesc::DOMElement*>(node);
        }
    }
    return nullptr;
}

} // namespace

bool hasName(const xercesc::DOMNode& node, std::string_view namespaceUri,
             std::string_view localName) {
    return node.getNodeType() == xercesc::DOMNode::ELEMENT_NODE &&
           equals(node.getLocalName(), localName) && equals(node.getNamespaceURI(), namespaceUri);
}

std::vector<const xercesc::DOMElement*> childElements(const xercesc::DOMNode& parent,
                                                      std::string_view namespaceUri,
                                                      std::string_view localName) {
    std::vector<const xercesc::DOMElement*> found;
    for (const xercesc::DOMElement* child = matching(
             parent.getFirstChild(), &xercesc::DOMNode::getNextSibling, namespaceUri, localName);
         child != nullptr;
         child = matching(child->getNextSibling(), &xercesc::DOMNode::getNextSibling, namespaceUri,
                          localName)) {
        found.push_back(child);
    }
    return found;
}

const xercesc::DOMElement* firstChildElement(const xercesc::DOMNode& parent,
                                             std::string_view namespaceUri,
                                             std::string_view localName) {
    return matching(parent.getFirstChild(), &xercesc::DOMNode::getNextSibling, namespaceUri,
                    localName);
}

std::vector<const xercesc::DOMElement*> descendantElements(const xercesc::DOMNode& root,
                                                           std::string_view namespaceUri,
                                                           std::string_view localName) {
    // Elements only, without recursion: this walk runs over whole large documents.
    std::vector<const xercesc::DOMElement*> found;
    auto firstElement = [](const xercesc::DOMNode* node) -> const xercesc::DOMElement* {
        while (node != nullptr && node->getNodeType() != xercesc::DOMNode::ELEMENT_NODE) {
            node = node->getNextSibling();
        }
        return static_cast<const xercesc::DOMElement*>(node);
    };
    const xercesc::DOMElement* element = root.getNodeType() == xercesc::DOMNode::ELEMENT_NODE
                                             ? static_cast<const xercesc::DOMElement*>(&root)
                                             : firstElement(root.getFirstChild());
    const xercesc::DOMNode* stop = &root;
    while (element != nullptr) {
        if (hasName(*element, namespaceUri, localName)) {
            found.push_back(element);
        }
        if (const xercesc::DOMElement* child = element->getFirstElementChild()) {
            element = child;
            continue;
        }
        const xercesc::DOMNode* at = element;
        element = nullptr;
        while (at != stop && at != nullptr) {
            if (const xercesc::DOMElement* next = firstElement(at->getNextSibling())) {
                element = next;
                break;
            }
            at = at->getParentNode();
        }
    }
    return found;
}

const xercesc::DOMElement* ancestorElement(const xercesc::DOMNode& node,
                                           std::string_view namespaceUri,
                                           std::string_view localName) {
    return matching(node.getParentNode(), &xercesc::DOMNode::getParentNode, namespaceUri,
                    localName);
}

std::string attributeText(const xercesc::DOMElement& element, std::string_view name) {
    return toUtf8(element.getAttribute(XmlString(name)));
}

bool hasAttribute(const xercesc::DOMElement& element, std::string_view name) {
    return element.hasAttribute(XmlString(name));
}

std::string textOf(const xercesc::DOMNode& node) {
    return toUtf8(node.getTextContent());
}

const xercesc::DOMElement* nextElement(const xercesc::DOMElement& from) {
    if (const xercesc::DOMElement* child = from.getFirstElementChild()) {
        return child;
    }
    const xercesc::DOMElement* element = &from;
    while (element != nullptr && element->getNextElementSibling() == nullptr) {
        const xercesc::DOMNode* parent = element->getParentNode();
        element = parent != nullptr && parent->getNodeType() == xercesc::DOMNode::ELEMENT_NODE
                      ? static_cast<const xercesc::DOMElement*>(parent)
                      : nullptr;
    }
    return element != nullptr ? element->getNextElementSibling() : nullptr;
}

} // namespace platform::xml

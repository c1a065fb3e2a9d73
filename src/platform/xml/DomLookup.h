#pragma once

#include <string>
#include <string_view>
#include <vector>

#include <xercesc/dom/DOMElement.hpp>
#include <xercesc/dom/DOMNode.hpp>

namespace platform::xml {

// Small reads of the DOM by namespace URI and local name, with UTF-8 texts.

// The child elements of `parent` with that namespace and local name, in order.
std::vector<const xercesc::DOMElement*> childElements(const xercesc::DOMNode& parent,
                                                      std::string_view namespaceUri,
                                                      std::string_view localName);
// The first of them, or null.
const xercesc::DOMElement* firstChildElement(const xercesc::DOMNode& parent,
                                             std::string_view namespaceUri,
                                             std::string_view localName);
// Every element of the subtree of `root` with that namespace and local name, in document
// order.
std::vector<const xercesc::DOMElement*> descendantElements(const xercesc::DOMNode& root,
                                                           std::string_view namespaceUri,
                                                           std::string_view localName);
// The element after this one in document order (its first child element, else the next
// element after it or after one of its ancestors), without recursion; null at the end.
const xercesc::DOMElement* nextElement(const xercesc::DOMElement& element);
// The nearest ancestor element with that namespace and local name, or null.
const xercesc::DOMElement* ancestorElement(const xercesc::DOMNode& node,
                                           std::string_view namespaceUri,
                                           std::string_view localName);

bool hasName(const xercesc::DOMNode& node, std::string_view namespaceUri,
             std::string_view localName);

// The value of an unqualified attribute; "" when absent.
std::string attributeText(const xercesc::DOMElement& element, std::string_view name);
bool hasAttribute(const xercesc::DOMElement& element, std::string_view name);
// The text content of a node.
std::string textOf(const xercesc::DOMNode& node);

} // namespace platform::xml

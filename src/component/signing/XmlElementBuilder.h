#pragma once

#include <optional>
#include <string>
#include <string_view>

#include <xercesc/dom/DOMElement.hpp>

namespace component::signing {

// Builds elements into a signature so that the namespace declarations they need are
// attributes of the DOM: the canonicaliser, which digests the DOM before it is ever written,
// sees only declared namespaces. An element whose prefix is not bound to its namespace by a
// declaration in scope gets its own xmlns or xmlns:prefix attribute.
class XmlElementBuilder {
public:
    // A new element (namespace "" = none; prefix "" = unprefixed) appended to parent, or
    // inserted before `before` (a child of parent) when it is not null.
    static xercesc::DOMElement* append(xercesc::DOMElement& parent, std::string_view ns,
                                       std::string_view prefix, std::string_view localName,
                                       xercesc::DOMNode* before = nullptr);
    // Appends a text node.
    static void appendText(xercesc::DOMElement& element, std::string_view text);
    // Replaces the element's content by one text node.
    static void setText(xercesc::DOMElement& element, std::string_view text);
    // An unqualified attribute.
    static void setAttribute(xercesc::DOMElement& element, std::string_view name,
                             std::string_view value);
    // A namespace declaration (xmlns:prefix, or xmlns for "").
    static void declareNamespace(xercesc::DOMElement& element, std::string_view prefix,
                                 std::string_view ns);

    // The namespace bound to prefix ("" = the default namespace) by the xmlns attributes of
    // element and its ancestors; nullopt when nothing declares it ("xml" is always bound).
    static std::optional<std::string> declaredNamespace(const xercesc::DOMElement& element,
                                                        std::string_view prefix);
};

} // namespace component::signing

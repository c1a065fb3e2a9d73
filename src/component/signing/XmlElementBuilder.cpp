#include "component/signing/XmlElementBuilder.h"

#include <xercesc/dom/DOMAttr.hpp>
#include <xercesc/dom/DOMDocument.hpp>
#include <xercesc/dom/DOMText.hpp>

#include "platform/xml/XmlText.h"

namespace component::signing {

using platform::xml::XmlString;

namespace {

constexpr char kXmlnsNamespace[] = "http://www.w3.org/2000/xmlns/";
constexpr char kXmlNamespace[] = "http://www.w3.org/XML/1998/namespace";

std::string qualified(std::string_view prefix, std::string_view localName) {
    return prefix.empty() ? std::string(localName)
                          : std::string(prefix) + ":" + std::string(localName);
}

} // namespace

std::optional<std::string> XmlElementBuilder::declaredNamespace(const xercesc::DOMElement& element,
                                                                std::string_view prefix) {
    if (prefix == "xml") {
        return std::string(kXmlNamespace);
    }
    XmlString xmlns(kXmlnsNamespace);
    XmlString local(prefix.empty() ? std::string_view("xmlns") : prefix);
    for (const xercesc::DOMNode* node = &element;
         node != nullptr && node->getNodeType() == xercesc::DOMNode::ELEMENT_NODE;
         node = node->getParentNode()) {
        const auto* current = static_cast<const xercesc::DOMElement*>(node);
        if (const xercesc::DOMAttr* declaration = current->getAttributeNodeNS(xmlns, local)) {
            return platform::xml::toUtf8(declaration->getValue());
        }
    }
    return std::nullopt;
}

void XmlElementBuilder::declareNamespace(xercesc::DOMElement& element, std::string_view prefix,
                                         std::string_view ns) {
    element.setAttributeNS(
        XmlString(kXmlnsNamespace),
        XmlString(prefix.empty() ? std::string("xmlns") : "xmlns:" + std::string(prefix)),
        XmlString(ns));
}

xercesc::DOMElement* XmlElementBuilder::append(xercesc::DOMElement& parent, std::string_view ns,
                                               std::string_view prefix, std::string_view localName,
                                               xercesc::DOMNode* before) {
    xercesc::DOMDocument* document = parent.getOwnerDocument();
    xercesc::DOMElement* element = document->createElementNS(
        ns.empty() ? nullptr : XmlString(ns).get(), XmlString(qualified(prefix, localName)));
    parent.insertBefore(element, before);
    std::optional<std::string> inScope = declaredNamespace(parent, prefix);
    // No declaration in scope and no namespace wanted: nothing to undeclare.
    if (inScope.value_or("") != ns) {
        declareNamespace(*element, prefix, ns);
    }
    return element;
}

void XmlElementBuilder::appendText(xercesc::DOMElement& element, std::string_view text) {
    element.appendChild(element.getOwnerDocument()->createTextNode(XmlString(text)));
}

void XmlElementBuilder::setText(xercesc::DOMElement& element, std::string_view text) {
    element.setTextContent(XmlString(text));
}

void XmlElementBuilder::setAttribute(xercesc::DOMElement& element, std::string_view name,
                                     std::string_view value) {
    element.setAttributeNS(nullptr, XmlString(name), XmlString(value));
}

} // namespace component::signing

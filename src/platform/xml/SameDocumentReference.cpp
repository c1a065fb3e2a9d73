#include "platform/xml/SameDocumentReference.h"

#include <optional>
#include <string>

#include <xercesc/dom/DOMAttr.hpp>
#include <xercesc/dom/DOMNamedNodeMap.hpp>
#include <xercesc/util/XMLString.hpp>

#include "platform/xml/XmlFailure.h"
#include "platform/xml/XmlText.h"

namespace platform::xml {

namespace {

constexpr std::string_view kXPointerRoot = "#xpointer(/)";
constexpr std::string_view kXPointerIdStart = "#xpointer(id(";
constexpr std::string_view kXPointerIdEnd = "))";

// The Id of "#xpointer(id('x'))" or "#xpointer(id(\"x\"))".
std::optional<std::string_view> xpointerId(std::string_view uri) {
    if (!uri.starts_with(kXPointerIdStart) || !uri.ends_with(kXPointerIdEnd)) {
        return std::nullopt;
    }
    std::string_view quoted = uri.substr(
        kXPointerIdStart.size(), uri.size() - kXPointerIdStart.size() - kXPointerIdEnd.size());
    if (quoted.size() < 2 || (quoted.front() != '\'' && quoted.front() != '"') ||
        quoted.back() != quoted.front()) {
        return std::nullopt;
    }
    return quoted.substr(1, quoted.size() - 2);
}

bool isIdName(const XMLCh* name) {
    static const XMLCh id[] = {u'i', u'd', 0};
    static const XMLCh Id[] = {u'I', u'd', 0};
    static const XMLCh ID[] = {u'I', u'D', 0};
    static const XMLCh iD[] = {u'i', u'D', 0};
    using xercesc::XMLString;
    return XMLString::equals(name, id) || XMLString::equals(name, Id) ||
           XMLString::equals(name, ID) || XMLString::equals(name, iD);
}

} // namespace

bool SameDocumentReference::handles(std::string_view uri) {
    if (uri.empty() || uri == kXPointerRoot || xpointerId(uri).has_value()) {
        return true;
    }
    return uri.size() > 1 && uri.front() == '#' && !uri.starts_with("#xpointer(");
}

NodeSet SameDocumentReference::dereference(const xercesc::DOMDocument& document,
                                           std::string_view uri) {
    if (uri.empty()) {
        return NodeSet::subtree(document, false);
    }
    if (uri == kXPointerRoot) {
        return NodeSet::subtree(document, true);
    }
    if (std::optional<std::string_view> id = xpointerId(uri)) {
        return NodeSet::subtree(elementById(document, *id), true);
    }
    if (!handles(uri)) {
        raiseXmlFailure("The reference URI \"" + std::string(uri) +
                        "\" is not a same-document reference this system resolves");
    }
    return NodeSet::subtree(elementById(document, uri.substr(1)), false);
}

const xercesc::DOMElement& SameDocumentReference::elementById(const xercesc::DOMDocument& document,
                                                              std::string_view id) {
    XmlString wanted(id);
    const xercesc::DOMElement* found = nullptr;
    bool repeated = false;
    walkSubtree(&document, [&](const xercesc::DOMNode* node) {
        if (node->getNodeType() != xercesc::DOMNode::ATTRIBUTE_NODE) {
            return !repeated;
        }
        const auto* attribute = static_cast<const xercesc::DOMAttr*>(node);
        if ((attribute->isId() || isIdName(attribute->getName())) &&
            xercesc::XMLString::equals(attribute->getValue(), wanted)) {
            const xercesc::DOMElement* owner = attribute->getOwnerElement();
            if (found != nullptr && found != owner) {
                repeated = true;
            }
            found = owner;
        }
        return true;
    });
    if (repeated) {
        raiseXmlFailure("More than one element has the Id \"" + std::string(id) + "\"");
    }
    if (found == nullptr) {
        raiseXmlFailure("No element has the Id \"" + std::string(id) + "\"");
    }
    return *found;
}

} // namespace platform::xml

#include "component/signing/SignatureInsideReference.h"

#include <optional>
#include <string>

#include "platform/xml/DomLookup.h"

namespace component::signing {

namespace {

// The Id named by "#id" or "#xpointer(id('id'))" (either quote); nullopt for anything else.
std::optional<std::string_view> referencedId(std::string_view uri) {
    constexpr std::string_view start = "#xpointer(id(";
    constexpr std::string_view end = "))";
    if (uri.starts_with(start) && uri.ends_with(end) &&
        uri.size() >= start.size() + end.size() + 2) {
        std::string_view quoted = uri.substr(start.size(), uri.size() - start.size() - end.size());
        if ((quoted.front() == '\'' || quoted.front() == '"') && quoted.back() == quoted.front()) {
            return quoted.substr(1, quoted.size() - 2);
        }
        return std::nullopt;
    }
    if (uri.starts_with("#") && !uri.starts_with("#xpointer(")) {
        return uri.substr(1);
    }
    return std::nullopt;
}

std::optional<std::string> idOf(const xercesc::DOMElement& element) {
    for (const char* name : {"id", "Id", "ID", "iD"}) {
        if (platform::xml::hasAttribute(element, name)) {
            return platform::xml::attributeText(element, name);
        }
    }
    return std::nullopt;
}

} // namespace

bool signatureInsideReference(const xercesc::DOMElement& parent, std::string_view elementToSign) {
    if (elementToSign.empty() || elementToSign == "#xpointer(/)") {
        return true;
    }
    std::optional<std::string_view> wanted = referencedId(elementToSign);
    if (!wanted) {
        return false;
    }
    for (const xercesc::DOMNode* node = &parent;
         node != nullptr && node->getNodeType() == xercesc::DOMNode::ELEMENT_NODE;
         node = node->getParentNode()) {
        std::optional<std::string> id = idOf(*static_cast<const xercesc::DOMElement*>(node));
        if (id && *id == *wanted) {
            return true;
        }
    }
    return false;
}

} // namespace component::signing

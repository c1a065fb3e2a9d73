#include "component/signing/NamespacedImport.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <xercesc/dom/DOMAttr.hpp>
#include <xercesc/dom/DOMDocument.hpp>
#include <xercesc/dom/DOMNamedNodeMap.hpp>

#include "component/module/ErrorCodes.h"
#include "component/signing/XmlElementBuilder.h"
#include "platform/xml/XmlText.h"
#include "stream/exceptions/StreamException.h"

namespace component::signing {

namespace {

using platform::xml::toUtf8;
using platform::xml::XmlString;

constexpr char kXmlnsNamespace[] = "http://www.w3.org/2000/xmlns/";

// The namespace declarations of the copied elements, innermost last.
using Scope = std::vector<std::pair<std::string, std::string>>;

class Importer {
public:
    explicit Importer(xercesc::DOMElement& parent) : outside_(parent) {}

    xercesc::DOMElement* element(const xercesc::DOMElement& source, xercesc::DOMNode& into) {
        const size_t mark = scope_.size();
        const xercesc::DOMNamedNodeMap* attributes = source.getAttributes();
        for (XMLSize_t i = 0; i < attributes->getLength(); ++i) {
            std::string name = toUtf8(attributes->item(i)->getNodeName());
            if (name == "xmlns" || name.starts_with("xmlns:")) {
                scope_.emplace_back(name == "xmlns" ? "" : name.substr(6),
                                    toUtf8(attributes->item(i)->getNodeValue()));
            }
        }
        std::string name = toUtf8(source.getNodeName());
        std::optional<std::string> ns = resolve(prefixOf(name), name);
        xercesc::DOMDocument* document = outside_.getOwnerDocument();
        xercesc::DOMElement* copy = document->createElementNS(
            ns && !ns->empty() ? XmlString(*ns).get() : nullptr, XmlString(name));
        into.appendChild(copy);
        for (XMLSize_t i = 0; i < attributes->getLength(); ++i) {
            const xercesc::DOMNode* attribute = attributes->item(i);
            std::string attributeName = toUtf8(attribute->getNodeName());
            XmlString value(toUtf8(attribute->getNodeValue()));
            if (attributeName == "xmlns" || attributeName.starts_with("xmlns:")) {
                copy->setAttributeNS(XmlString(kXmlnsNamespace), XmlString(attributeName), value);
            } else if (std::string prefix = prefixOf(attributeName); !prefix.empty()) {
                std::optional<std::string> attributeNs = resolve(prefix, attributeName);
                copy->setAttributeNS(XmlString(*attributeNs), XmlString(attributeName), value);
            } else {
                copy->setAttributeNS(nullptr, XmlString(attributeName), value);
            }
        }
        for (const xercesc::DOMNode* child = source.getFirstChild(); child != nullptr;
             child = child->getNextSibling()) {
            switch (child->getNodeType()) {
            case xercesc::DOMNode::ELEMENT_NODE:
                element(*static_cast<const xercesc::DOMElement*>(child), *copy);
                break;
            case xercesc::DOMNode::TEXT_NODE:
            case xercesc::DOMNode::CDATA_SECTION_NODE:
            case xercesc::DOMNode::COMMENT_NODE:
            case xercesc::DOMNode::PROCESSING_INSTRUCTION_NODE:
                copy->appendChild(document->importNode(child, false));
                break;
            default:
                break;
            }
        }
        scope_.resize(mark);
        return copy;
    }

private:
    static std::string prefixOf(const std::string& name) {
        size_t colon = name.find(':');
        return colon == std::string::npos ? std::string() : name.substr(0, colon);
    }

    // The namespace of a prefix ("" = the default namespace, which may be none).
    std::optional<std::string> resolve(const std::string& prefix, const std::string& name) {
        for (auto it = scope_.rbegin(); it != scope_.rend(); ++it) {
            if (it->first == prefix) {
                return it->second;
            }
        }
        std::optional<std::string> found = XmlElementBuilder::declaredNamespace(outside_, prefix);
        if (!found && !prefix.empty()) {
            throw stream::exceptions::StreamException(
                "The prefix of \"" + name + "\" is not declared", module::QN_E_OPERATION);
        }
        return found;
    }

    xercesc::DOMElement& outside_;
    Scope scope_;
};

} // namespace

xercesc::DOMElement* importWithNamespaces(const xercesc::DOMElement& source,
                                          xercesc::DOMElement& parent) {
    Importer importer(parent);
    return importer.element(source, parent);
}

} // namespace component::signing

#include "component/verification/StreamedMessage.h"

#include <vector>

#include <xercesc/dom/DOMAttr.hpp>
#include <xercesc/dom/DOMNamedNodeMap.hpp>
#include <xercesc/sax/SAXParseException.hpp>

#include "platform/xml/DocumentScan.h"
#include "platform/xml/DomLookup.h"
#include "platform/xml/StreamCanonicalizer.h"
#include "platform/xml/XmlDsigNames.h"
#include "platform/xml/XmlText.h"

namespace component::verification {

namespace {

namespace dsig = platform::xml::dsig;
using platform::xml::attributeText;
using platform::xml::XmlString;

constexpr char kDropSignatures[] = "not(ancestor-or-self::ds:Signature)";

std::string trimmed(const std::string& text) {
    size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

bool isDropSignaturesXPath(const xercesc::DOMElement& transform) {
    const xercesc::DOMElement* xpath =
        platform::xml::firstChildElement(transform, dsig::kNamespace, "XPath");
    if (xpath == nullptr || trimmed(platform::xml::textOf(*xpath)) != kDropSignatures) {
        return false;
    }
    const XMLCh* bound = xpath->lookupNamespaceURI(XmlString("ds"));
    return bound != nullptr && platform::xml::toUtf8(bound) == dsig::kNamespace;
}

bool hasIdValue(const xercesc::DOMElement& element, const std::string& id) {
    const xercesc::DOMNamedNodeMap* attributes = element.getAttributes();
    for (XMLSize_t i = 0; attributes != nullptr && i < attributes->getLength(); ++i) {
        std::string name = platform::xml::toUtf8(attributes->item(i)->getNodeName());
        if ((name == "Id" || name == "id" || name == "ID" || name == "iD") &&
            platform::xml::toUtf8(attributes->item(i)->getNodeValue()) == id) {
            return true;
        }
    }
    return false;
}

bool skeletonHasId(const xercesc::DOMDocument& skeleton, const std::string& id) {
    const xercesc::DOMElement* element = skeleton.getDocumentElement();
    while (element != nullptr) {
        if (hasIdValue(*element, id)) {
            return true;
        }
        element = platform::xml::nextElement(*element);
    }
    return false;
}

} // namespace

std::optional<StreamedMessage> StreamedMessage::open(std::string_view message) {
    StreamedMessage streamed;
    platform::xml::StreamCanonicalizer canonicalizer(
        {}, [&streamed](const unsigned char* data, size_t size) {
            streamed.octets_.append(reinterpret_cast<const char*>(data), size);
        });
    std::optional<platform::xml::DocumentOutline> outline;
    try {
        outline = platform::xml::DocumentScan::scan(message, &canonicalizer);
    } catch (const xercesc::SAXParseException&) {
        return std::nullopt;
    }
    if (!outline || outline->encryptedData || outline->signatures.empty()) {
        return std::nullopt;
    }
    for (const platform::xml::DocumentOutline::Signature& signature : outline->signatures) {
        if (!signature.childOfRoot) {
            return std::nullopt;
        }
    }
    streamed.signatures_ = outline->signatures.size();
    streamed.skeleton_ = platform::xml::DocumentScan::skeleton(message, *outline);
    return streamed;
}

const std::string* StreamedMessage::octetsOf(const xercesc::DOMElement& reference) const {
    if (!reference.hasAttribute(XmlString("URI")) || !attributeText(reference, "URI").empty()) {
        return nullptr;
    }
    std::vector<const xercesc::DOMElement*> transforms;
    if (const xercesc::DOMElement* list =
            platform::xml::firstChildElement(reference, dsig::kNamespace, "Transforms")) {
        transforms = platform::xml::childElements(*list, dsig::kNamespace, "Transform");
    }
    auto algorithm = [&](size_t i) { return attributeText(*transforms[i], "Algorithm"); };
    if (transforms.empty() || algorithm(0) != dsig::kEnvelopedSignature) {
        return nullptr;
    }
    size_t next = 1;
    if (transforms.size() > 1 && algorithm(1) == dsig::kXPath) {
        if (!isDropSignaturesXPath(*transforms[1])) {
            return nullptr;
        }
        next = 2;
    } else if (signatures_ != 1) {
        return nullptr; // the enveloped transform alone leaves the other signatures in
    }
    if (next < transforms.size() && algorithm(next) == dsig::kC14n) {
        ++next;
    }
    return next == transforms.size() ? &octets_ : nullptr;
}

bool StreamedMessage::covers(const xercesc::DOMDocument& skeleton) const {
    for (const xercesc::DOMElement* signature :
         platform::xml::descendantElements(skeleton, dsig::kNamespace, "Signature")) {
        const xercesc::DOMElement* signedInfo =
            platform::xml::firstChildElement(*signature, dsig::kNamespace, "SignedInfo");
        if (signedInfo == nullptr) {
            return false;
        }
        for (const xercesc::DOMElement* reference :
             platform::xml::childElements(*signedInfo, dsig::kNamespace, "Reference")) {
            if (!reference->hasAttribute(XmlString("URI")) ||
                attributeText(*reference, "Type").ends_with("#Manifest")) {
                return false;
            }
            const std::string uri = attributeText(*reference, "URI");
            if (uri.empty()) {
                if (octetsOf(*reference) == nullptr) {
                    return false;
                }
            } else if (uri.starts_with("#")) {
                if (uri.starts_with("#xpointer(") || !skeletonHasId(skeleton, uri.substr(1))) {
                    return false;
                }
            }
        }
    }
    return true;
}

} // namespace component::verification

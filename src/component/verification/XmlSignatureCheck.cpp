#include "component/verification/XmlSignatureCheck.h"

#include <vector>

#include <xsec/dsig/DSIGReference.hpp>
#include <xsec/dsig/DSIGReferenceList.hpp>
#include <xsec/utils/XSECSafeBuffer.hpp>

#include "component/verification/XmlFailureText.h"
#include "component/verification/XmlReferenceRoute.h"
#include "platform/xml/DomLookup.h"
#include "platform/xml/ReferenceDigester.h"
#include "platform/xml/XmlDsigNames.h"
#include "platform/xml/XmlFailure.h"
#include "platform/xml/XmlText.h"
#include "stream/Base64.h"

namespace component::verification {

namespace {

namespace dsig = platform::xml::dsig;
using platform::xml::toUtf8;

// The ds:Reference elements of SignedInfo, in order (the library's reference list follows the
// same order).
std::vector<xercesc::DOMElement*> referenceElements(const xercesc::DOMElement& signatureElement) {
    const xercesc::DOMElement* signedInfo =
        platform::xml::firstChildElement(signatureElement, dsig::kNamespace, "SignedInfo");
    if (signedInfo == nullptr) {
        platform::xml::raiseXmlFailure("The signature has no SignedInfo");
    }
    std::vector<xercesc::DOMElement*> out;
    for (const xercesc::DOMElement* reference :
         platform::xml::childElements(*signedInfo, dsig::kNamespace, "Reference")) {
        // The digester takes a document it may change for a while (and restores).
        out.push_back(const_cast<xercesc::DOMElement*>(reference));
    }
    return out;
}

// The messages of a manifest's references that do not verify, in the library's words; empty
// when every one does.
std::string manifestFailures(const DSIGReference& reference) {
    safeBuffer messages;
    messages.sbXMLChIn(platform::xml::XmlString(""));
    if (DSIGReference::verifyReferenceList(reference.getManifestReferenceList(), messages)) {
        return {};
    }
    std::string text = toUtf8(messages.rawXMLChBuffer());
    return text.empty()
               ? XmlSignatureCheck::referenceFailure(toUtf8(reference.getURI()), "manifest")
               : text;
}

// Empty when the reference verifies, else the message that says why not.
std::string checkReference(DSIGReference& reference, xercesc::DOMElement& element,
                           const StreamedMessage* streamed) {
    std::string uri = platform::xml::attributeText(element, "URI");
    try {
        if (const std::string* octets = streamed ? streamed->octetsOf(element) : nullptr) {
            return platform::xml::ReferenceDigester::digestOf(element, *octets) ==
                           platform::xml::ReferenceDigester::storedDigest(element)
                       ? std::string()
                       : XmlSignatureCheck::referenceFailure(uri);
        }
        if (digestedByXmlLayer(element)) {
            return platform::xml::ReferenceDigester::matches(element)
                       ? std::string()
                       : XmlSignatureCheck::referenceFailure(uri);
        }
        if (!reference.checkHash()) {
            return XmlSignatureCheck::referenceFailure(uri);
        }
        return reference.isManifest() ? manifestFailures(reference) : std::string();
    } catch (...) {
        return XmlSignatureCheck::referenceFailure(uri, currentFailureText());
    }
}

} // namespace

std::string XmlSignatureCheck::referenceFailure(std::string_view uri, std::string_view reason) {
    std::string text = "Reference URI=\"" + std::string(uri) + "\" failed to verify";
    if (!reason.empty()) {
        text += ": ";
        text += reason;
    }
    return text + "\n";
}

XmlSignatureVerdict XmlSignatureCheck::verify(DSIGSignature& signature,
                                              const xercesc::DOMElement& signatureElement,
                                              const StreamedMessage* streamed) {
    std::vector<xercesc::DOMElement*> elements = referenceElements(signatureElement);
    DSIGReferenceList* references = signature.getReferenceList();
    size_t count = references != nullptr ? references->getSize() : 0;
    if (count != elements.size()) {
        platform::xml::raiseXmlFailure("The references of SignedInfo could not be read");
    }
    XmlSignatureVerdict verdict;
    for (size_t i = 0; i < count; ++i) {
        verdict.messages += checkReference(*references->item(i), *elements[i], streamed);
    }
    bool referencesHold = verdict.messages.empty();
    // As the library does, the signature value is checked even when a reference failed.
    bool valueHolds = signature.verifySignatureOnly();
    if (!valueHolds) {
        verdict.messages += toUtf8(signature.getErrMsgs());
    }
    verdict.valid = referencesHold && valueHolds;
    return verdict;
}

XmlSignatureVerdict XmlSignatureCheck::verifyWithDigest(DSIGSignature& signature,
                                                        const xercesc::DOMElement& signatureElement,
                                                        std::string_view suppliedDigest) {
    std::vector<xercesc::DOMElement*> elements = referenceElements(signatureElement);
    if (elements.empty()) {
        platform::xml::raiseXmlFailure("The signature has no reference");
    }
    const xercesc::DOMElement& last = *elements.back();
    std::vector<unsigned char> stored = platform::xml::ReferenceDigester::storedDigest(last);
    std::string supplied = stream::Base64::decode(suppliedDigest);
    XmlSignatureVerdict verdict;
    if (supplied.empty() ||
        std::vector<unsigned char>(supplied.begin(), supplied.end()) != stored) {
        verdict.messages = referenceFailure(platform::xml::attributeText(last, "URI"),
                                            "the supplied digest is not its DigestValue");
        return verdict;
    }
    verdict.valid = signature.verifySignatureOnly();
    if (!verdict.valid) {
        verdict.messages = toUtf8(signature.getErrMsgs());
    }
    return verdict;
}

} // namespace component::verification

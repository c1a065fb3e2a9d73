#include "component/verification/XmlSignedContent.h"

#include <memory>
#include <vector>

#include <xercesc/dom/DOMImplementation.hpp>
#include <xercesc/dom/DOMImplementationRegistry.hpp>
#include <xsec/dsig/DSIGReference.hpp>
#include <xsec/dsig/DSIGReferenceList.hpp>
#include <xsec/utils/XSECBinTXFMInputStream.hpp>

#include "component/verification/XmlReferenceRoute.h"
#include "platform/xml/DomLookup.h"
#include "platform/xml/ReferenceDigester.h"
#include "platform/xml/XercesHandles.h"
#include "platform/xml/XmlDsigNames.h"
#include "platform/xml/XmlFailure.h"
#include "platform/xml/XmlSerializer.h"
#include "platform/xml/XmlText.h"

namespace component::verification {

namespace {

namespace dsig = platform::xml::dsig;

constexpr size_t kChunk = 1000;

platform::xml::DocumentPtr emptyDocument() {
    xercesc::DOMImplementation* implementation =
        xercesc::DOMImplementationRegistry::getDOMImplementation(platform::xml::XmlString("Core"));
    return platform::xml::DocumentPtr(implementation->createDocument());
}

// The octets of the signature's first reference after its transforms, appended to out.
void appendFirstReference(DSIGSignature& signature, const xercesc::DOMElement& signatureElement,
                          const StreamedMessage* streamed, std::string& out) {
    const xercesc::DOMElement* signedInfo =
        platform::xml::firstChildElement(signatureElement, dsig::kNamespace, "SignedInfo");
    const xercesc::DOMElement* first =
        signedInfo != nullptr
            ? platform::xml::firstChildElement(*signedInfo, dsig::kNamespace, "Reference")
            : nullptr;
    DSIGReferenceList* references = signature.getReferenceList();
    if (first == nullptr || references == nullptr || references->getSize() == 0) {
        platform::xml::raiseXmlFailure("The signature has no reference");
    }
    if (const std::string* octets = streamed ? streamed->octetsOf(*first) : nullptr) {
        out.append(*octets);
        return;
    }
    if (digestedByXmlLayer(*first)) {
        platform::xml::ReferenceDigester::transform(
            const_cast<xercesc::DOMElement&>(*first),
            [&out](const unsigned char* bytes, size_t size) {
                out.append(reinterpret_cast<const char*>(bytes), size);
            });
        return;
    }
    std::unique_ptr<XSECBinTXFMInputStream> stream(references->item(0)->makeBinInputStream());
    if (!stream) {
        platform::xml::raiseXmlFailure("The first reference gives no data");
    }
    XMLByte chunk[kChunk];
    for (XMLSize_t n = stream->readBytes(chunk, kChunk); n > 0;
         n = stream->readBytes(chunk, kChunk)) {
        out.append(reinterpret_cast<const char*>(chunk), n);
    }
}

} // namespace

std::string xmlSignedContent(DSIGSignature& signature, const xercesc::DOMElement& signatureElement,
                             const std::string& encoding, const StreamedMessage* streamed) {
    platform::xml::XmlSerializer writer(encoding);
    platform::xml::DocumentPtr empty = emptyDocument();
    writer.write(*empty);
    for (const xercesc::DOMElement* object :
         platform::xml::childElements(signatureElement, dsig::kNamespace, "Object")) {
        if (platform::xml::attributeText(*object, "Id").empty()) {
            continue;
        }
        if (const xercesc::DOMNode* child = object->getFirstChild()) {
            writer.write(*child);
        }
        return writer.take();
    }
    std::string out = writer.take();
    appendFirstReference(signature, signatureElement, streamed, out);
    return out;
}

} // namespace component::verification

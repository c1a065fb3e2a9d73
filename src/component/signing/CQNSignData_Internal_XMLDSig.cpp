#include "component/signing/CQNSignData_Internal_XMLDSig.h"

#include <ctime>
#include <optional>
#include <strings.h>
#include <unordered_set>

#include <xercesc/dom/DOMImplementation.hpp>
#include <xercesc/dom/DOMImplementationRegistry.hpp>
#include <xsec/dsig/DSIGConstants.hpp>
#include <xsec/dsig/DSIGObject.hpp>
#include <xsec/dsig/DSIGReference.hpp>
#include <xsec/dsig/DSIGSignature.hpp>
#include <xsec/dsig/DSIGTransformXPath.hpp>
#include <xsec/framework/XSECProvider.hpp>

#include "component/module/ErrorCodes.h"
#include "component/module/ModuleLog.h"
#include "component/signing/SignFromHashReference.h"
#include "component/signing/SignatureInsideReference.h"
#include "component/signing/SignerDescription.h"
#include "component/signing/SigningTimeObject.h"
#include "component/signing/StreamedDocument.h"
#include "component/signing/XadesProperties.h"
#include "component/signing/XmlCoSignature.h"
#include "component/signing/XmlCounterSignature.h"
#include "component/signing/XmlElementBuilder.h"
#include "component/signing/XmlIdRule.h"
#include "component/signing/XmlReferenceDigests.h"
#include "component/signing/XmlSignatureFrame.h"
#include "component/signing/XmlSignatureValue.h"
#include "component/signing/XmlTarget.h"
#include "platform/xml/DomLookup.h"
#include "platform/xml/XmlDsigNames.h"
#include "platform/xml/XmlLibraries.h"
#include "platform/xml/XmlParser.h"
#include "platform/xml/XmlSerializer.h"
#include "platform/xml/XmlText.h"
#include "platform/xml/XsecHandles.h"
#include "stream/exceptions/StreamException.h"

namespace component::signing {

namespace {

namespace dsig = platform::xml::dsig;
namespace xml = platform::xml;
using stream::exceptions::StreamException;
using xercesc::DOMElement;
using xml::XmlString;

constexpr char kDetachedDocument[] = "<detached>detached</detached>";
constexpr char kDropSignatures[] = "not(ancestor-or-self::ds:Signature)";

xml::DocumentPtr newDocument() {
    static const XMLCh core[] = {u'C', u'o', u'r', u'e', 0};
    return xml::DocumentPtr(
        xercesc::DOMImplementationRegistry::getDOMImplementation(core)->createDocument());
}

DOMElement* child(DOMElement& parent, const char* localName) {
    return XmlSignatureFrame::child(parent, localName);
}

// The reference createReference appended last.
DOMElement* lastReference(DOMElement& signatureElement) {
    auto references =
        xml::childElements(*child(signatureElement, "SignedInfo"), dsig::kNamespace, "Reference");
    return const_cast<DOMElement*>(references.back());
}

// An enveloped signature of a whole document whose text can be streamed is made without a
// DOM of the document's content (see StreamedDocument); any other takes the DOM road.
std::optional<StreamedDocument> streamedDocument(const std::string& content,
                                                 const XmlSignSettings& settings, bool enveloping,
                                                 bool detached) {
    if (enveloping || detached || settings.signFromHash || !settings.parentElement.empty() ||
        !settings.elementToSign.empty()) {
        return std::nullopt;
    }
    std::optional<StreamedDocument> streamed = StreamedDocument::open(content);
    if (streamed && !settings.encoding.empty() &&
        strcasecmp(settings.encoding.c_str(), streamed->encoding().c_str()) != 0) {
        return std::nullopt; // written again in another encoding: the DOM road
    }
    return streamed;
}

} // namespace

stream::ByteBuffer
CQNSignData_Internal_XMLDSig::sign(const unsigned char* content, size_t size,
                                   const certificates::CQNCertificate_Internal& certificate,
                                   bool detached) {
    module::logTrace("CQNSignData_Internal_XMLDSig::sign");
    module::logInfo("Entro a firmar un CQNSignData_Internal_XMLDSig");
    const std::string text(reinterpret_cast<const char*>(content), size);
    const XmlSignSettings settings = XmlSignSettings::read();
    checkCombination(settings, text, detached);
    if (settings.xades && !detached) {
        // The signatures already in the document are counter-signed.
        return XmlCounterSignature::sign(
            text, settings, [&](const std::string& document, const XmlSignSettings& current) {
                return signOne(document, certificate, false, current);
            });
    }
    return signOne(text, certificate, detached, settings);
}

stream::ByteBuffer CQNSignData_Internal_XMLDSig::cosign(
    const unsigned char* signedContent, size_t signedSize, const unsigned char*, size_t,
    const certificates::CQNCertificate_Internal& certificate, bool detached) {
    module::logTrace("CQNSignData_Internal_XMLDSig::cosign");
    module::logInfo("CQNSignData_Internal_XMLDSig cosign");
    return XmlCoSignature::cosign(
        std::string_view(reinterpret_cast<const char*>(signedContent), signedSize), certificate,
        detached, signingTime_);
}

stream::ByteBuffer
CQNSignData_Internal_XMLDSig::signOne(const std::string& content,
                                      const certificates::CQNCertificate_Internal& certificate,
                                      bool detached, const XmlSignSettings& settings) {
    module::logInfo("Entro a firmar CQNSignData_Internal_XMLDSig en signOne");
    xml::XmlLibraries::require();

    // Placement.
    std::string envelope = settings.envelopeType;
    if (envelope == "DETACHEDINTERNA") {
        envelope = "ENVELOPED";
        detached = false;
    }
    if (envelope != "ENVELOPING" && envelope != "ENVELOPED") {
        throw StreamException("Tipo de \"envelope\" inválido.", module::QN_E_OPERATION);
    }
    bool enveloping = envelope == "ENVELOPING";
    std::string_view documentText = content;
    bool xmlTarget = false;
    if (detached) {
        documentText = kDetachedDocument;
        enveloping = true;
        if (!settings.signFromHash) {
            xmlTarget = isXmlTarget(content);
        }
    }

    const std::optional<StreamedDocument> streamed =
        streamedDocument(content, settings, enveloping, detached);
    static const std::vector<std::string> kNoMoreIds;
    const std::vector<std::string>& moreIds = streamed ? streamed->ids() : kNoMoreIds;
    if (streamed) {
        documentText = streamed->skeleton();
    }

    xml::DocumentPtr document = xml::XmlParser::parseOrRaise(documentText, xml::kSignerInput);
    const std::string encoding = settings.encoding.empty()
                                     ? xml::XmlSerializer::declaredEncoding(*document)
                                     : settings.encoding;
    checkHashAlgorithm(settings);

    // The signature, in the document or as the root of a new one.
    xml::DocumentPtr built;
    xercesc::DOMDocument* target = document.get();
    DOMElement* parent = nullptr;
    if (enveloping) {
        built = newDocument();
        target = built.get();
    } else {
        parent = XmlSignatureFrame::parentElement(*document, settings.parentElement);
    }
    const std::string signatureId = nextXmlId(*document, "", "Signature", moreIds);
    XSECProvider provider;
    xml::SignaturePtr signature = xml::newSignature(provider);
    DOMElement* signatureElement =
        XmlSignatureFrame::create(*signature, *target, signatureId, settings);
    if (enveloping) {
        target->appendChild(signatureElement);
    } else {
        parent->appendChild(signatureElement);
    }

    std::string objectId;
    if (enveloping && !detached) {
        objectId = nextXmlId(*document, signatureId + "-", "Object", moreIds);
        DSIGObject* object = signature->appendObject();
        object->setId(XmlString(objectId));
        const_cast<DOMElement*>(object->getElement())
            ->appendChild(target->importNode(document->getDocumentElement(), true));
    }

    const std::time_t now = std::time(nullptr);
    const std::string timeStampId = nextXmlId(*target, signatureId + "-", "TimeStamp", moreIds);
    const bool signingTimeObject = signingTime_ && !settings.xades;
    if (signingTimeObject) {
        SigningTimeObject::append(*signature, signatureId, timeStampId, now);
    }

    const platform::crypt::Certificate& signer = certificate.getCertContext();
    XmlSignatureFrame::appendKeyInfo(*signature, certificate, settings.includeCertificate);

    // References; those in `done` have their digest already.
    std::unordered_set<const DOMElement*> done;
    DOMElement* dataReference = nullptr; // the reference of detached data
    if (!enveloping) {
        DSIGReference* reference = signature->createReference(XmlString(settings.elementToSign),
                                                              DSIGConstants::s_unicodeStrURISHA1);
        if (signatureInsideReference(*parent, settings.elementToSign)) {
            reference->appendEnvelopedSignatureTransform();
            reference->appendXPathTransform(kDropSignatures)->setNamespace("ds", dsig::kNamespace);
        }
        reference->appendCanonicalizationTransform(DSIGConstants::s_unicodeStrURIC14N_NOC);
        if (streamed) {
            DOMElement* whole = lastReference(*signatureElement);
            XmlReferenceDigests::setDigestValue(*whole, streamed->digest());
            done.insert(whole);
        }
    } else if (!detached) {
        const std::string uri =
            settings.elementToSign.empty() ? "#" + objectId : settings.elementToSign;
        signature->createReference(XmlString(uri), DSIGConstants::s_unicodeStrURISHA1)
            ->appendCanonicalizationTransform(DSIGConstants::s_unicodeStrURIC14N_NOC);
    } else if (!settings.signFromHash) {
        DSIGReference* reference =
            signature->createReference(XmlString(content), DSIGConstants::s_unicodeStrURISHA1);
        if (xmlTarget) {
            reference->appendCanonicalizationTransform(DSIGConstants::s_unicodeStrURIC14N_NOC);
        }
        dataReference = lastReference(*signatureElement);
    }
    if (signingTimeObject && (!enveloping || !settings.signFromHash)) {
        signature->createReference(XmlString("#" + timeStampId), DSIGConstants::s_unicodeStrURISHA1)
            ->appendCanonicalizationTransform(DSIGConstants::s_unicodeStrURIC14N_NOC);
    }
    if (settings.xades) {
        XadesProperties::append(*signature, signer,
                                {signatureId, settings.prefix, signingTime_, now});
    }

    DOMElement* signedInfo =
        XmlSignatureFrame::nameSignedInfo(*target, *signatureElement, signatureId, moreIds);

    // Digests: the detached data's first when its URI is to be overridden.
    if (dataReference != nullptr && !settings.overrideUri.empty()) {
        XmlReferenceDigests::setDigestValue(*dataReference,
                                            XmlReferenceDigests::digest(*dataReference));
        XmlElementBuilder::setAttribute(*dataReference, "URI", settings.overrideUri);
        done.insert(dataReference);
    }
    XmlReferenceDigests::digestAll(*signedInfo, done);

    std::shared_ptr<platform::crypt::PrivateKey> key =
        describeSigner(certificate, settings.hashAlgorithm).key;
    XmlSignatureValue::sign(*signature, *signatureElement, *key);
    if (settings.signFromHash) {
        SignFromHashReference::append(*signature, *signatureElement);
        XmlSignatureValue::sign(*signature, *signatureElement, *key);
    }
    XmlSignatureFrame::nameSignedParts(*target, *signatureElement, signatureId, moreIds);

    signature.reset();
    if (streamed) {
        xml::XmlSerializer text(encoding);
        text.write(*signatureElement);
        return streamed->withSignature(content, text.bytes());
    }
    std::string bytes = xml::XmlSerializer::serialize(*target, encoding);
    return stream::ByteBuffer(std::string_view(bytes));
}

} // namespace component::signing

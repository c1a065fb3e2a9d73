#include "component/signing/XmlCoSignature.h"

#include <charconv>
#include <ctime>
#include <vector>

#include <xsec/dsig/DSIGConstants.hpp>
#include <xsec/dsig/DSIGReference.hpp>
#include <xsec/dsig/DSIGSignature.hpp>
#include <xsec/dsig/DSIGTransformXPath.hpp>
#include <xsec/framework/XSECProvider.hpp>

#include "component/module/ErrorCodes.h"
#include "component/module/ModuleLog.h"
#include "component/module/SettingNames.h"
#include "component/module/SettingsRollback.h"
#include "component/module/SettingsTable.h"
#include "component/signing/SignatureInsideReference.h"
#include "component/signing/SignerDescription.h"
#include "component/signing/SigningTimeObject.h"
#include "component/signing/XadesProperties.h"
#include "component/signing/XmlIdRule.h"
#include "component/signing/XmlReferenceDigests.h"
#include "component/signing/XmlSignSettings.h"
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

constexpr char kDropSignatures[] = "not(ancestor-or-self::ds:Signature)";

std::string elementToSignName(size_t index) {
    return index == 0 ? std::string(module::kElementToSign)
                      : module::kElementToSign + std::to_string(index);
}

size_t referencesCount() {
    const std::string text = module::SettingsTable::instance().get(module::kReferencesCount);
    size_t count = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), count);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
        throw StreamException("ReferencesCount inválido: " + text, module::QN_E_OPERATION);
    }
    return count;
}

// Whether an element with that Id attribute lies inside an XML-DSig Signature.
bool idInsideSignature(const xercesc::DOMDocument& document, const std::string& id) {
    std::vector<const DOMElement*> pending;
    if (const DOMElement* root = document.getDocumentElement()) {
        pending.push_back(root);
    }
    while (!pending.empty()) {
        const DOMElement* element = pending.back();
        pending.pop_back();
        if (xml::hasAttribute(*element, "Id") && xml::attributeText(*element, "Id") == id &&
            xml::ancestorElement(*element, dsig::kNamespace, "Signature") != nullptr) {
            return true;
        }
        for (const DOMElement* c = element->getFirstElementChild(); c != nullptr;
             c = c->getNextElementSibling()) {
            pending.push_back(c);
        }
    }
    return false;
}

// The URIs of the first signature's references that a XAdES co-signature signs again: a URI
// without "#" (the whole document, an external resource), or one whose fragment names no
// element inside a signature.
std::vector<std::string> coSignedUris(const xercesc::DOMDocument& document) {
    std::vector<const DOMElement*> signatures =
        xml::descendantElements(document, dsig::kNamespace, "Signature");
    std::vector<std::string> kept;
    if (signatures.empty()) {
        return kept;
    }
    const DOMElement* signedInfo =
        xml::firstChildElement(*signatures.front(), dsig::kNamespace, "SignedInfo");
    if (signedInfo == nullptr) {
        return kept;
    }
    for (const DOMElement* reference :
         xml::childElements(*signedInfo, dsig::kNamespace, "Reference")) {
        std::string uri = xml::attributeText(*reference, "URI");
        if (uri.find('#') == std::string::npos || !idInsideSignature(document, uri.substr(1))) {
            kept.push_back(std::move(uri));
        }
    }
    return kept;
}

} // namespace

stream::ByteBuffer XmlCoSignature::cosign(std::string_view signedContent,
                                          const certificates::CQNCertificate_Internal& certificate,
                                          bool detached, bool signingTime) {
    xml::XmlLibraries::require();
    const XmlSignSettings settings = XmlSignSettings::read();
    module::SettingsRollback written;
    if (!settings.xades) {
        written.set(module::kReferencesCount, "1");
        stream::ByteBuffer result = addSignature(signedContent, certificate, detached, signingTime);
        written.keep();
        return result;
    }

    xml::DocumentPtr document = xml::XmlParser::parseOrRaise(signedContent, xml::kSignerInput);
    std::vector<std::string> uris = coSignedUris(*document);
    if (uris.empty()) {
        throw StreamException(kNothingToCosign, module::QN_E_OPERATION);
    }
    for (size_t i = 0; i < uris.size(); ++i) {
        written.set(elementToSignName(i), uris[i]);
    }
    written.set(module::kReferencesCount, std::to_string(uris.size()));
    written.set(module::kEnvelopeType, "ENVELOPED");
    const std::string text = xml::XmlSerializer::serialize(*document, settings.encoding);
    document.reset();
    stream::ByteBuffer result = addSignature(text, certificate, detached, signingTime);
    // What was made must read back as XML.
    xml::XmlParser::parseOrRaise(
        std::string_view(reinterpret_cast<const char*>(result.data()), result.size()),
        xml::kSignerInput);
    written.keep();
    return result;
}

stream::ByteBuffer
XmlCoSignature::addSignature(std::string_view content,
                             const certificates::CQNCertificate_Internal& certificate,
                             bool detached, bool signingTime) {
    const XmlSignSettings settings = XmlSignSettings::read();
    if (settings.envelopeType == "DETACHEDINTERNA") {
        detached = false;
    } else if (settings.envelopeType == "ENVELOPING") {
        throw StreamException("Tipo de \"envelope\" inválido para añadir una firma. Solo "
                              "soportado \"Enveloped\"",
                              module::QN_E_OPERATION);
    } else if (settings.envelopeType != "ENVELOPED") {
        throw StreamException("Tipo de \"envelope\" inválido.", module::QN_E_OPERATION);
    }
    if (detached) {
        throw StreamException(kDetachedRefused, module::QN_E_OPERATION);
    }

    xml::DocumentPtr document = xml::XmlParser::parseOrRaise(content, xml::kSignerInput);
    const std::string encoding = xml::XmlSerializer::declaredEncoding(*document);
    checkHashAlgorithm(settings);
    const size_t count = referencesCount();

    DOMElement* parent = XmlSignatureFrame::parentElement(*document, settings.parentElement);
    const std::string signatureId = nextXmlId(*document, "", "Signature");
    XSECProvider provider;
    xml::SignaturePtr signature = xml::newSignature(provider);
    DOMElement* signatureElement =
        XmlSignatureFrame::create(*signature, *document, signatureId, settings);
    parent->appendChild(signatureElement);

    const std::time_t now = std::time(nullptr);
    const bool signingTimeObject = signingTime && !settings.xades;
    std::string timeStampId;
    if (signingTimeObject) {
        timeStampId = nextXmlId(*document, signatureId + "-", "TimeStamp");
        SigningTimeObject::append(*signature, signatureId, timeStampId, now);
    }
    XmlSignatureFrame::appendKeyInfo(*signature, certificate, settings.includeCertificate);

    for (size_t i = 0; i < count; ++i) {
        const std::string uri = module::SettingsTable::instance().get(elementToSignName(i));
        DSIGReference* reference =
            signature->createReference(xml::XmlString(uri), DSIGConstants::s_unicodeStrURISHA1);
        if (signatureInsideReference(*parent, uri)) {
            reference->appendEnvelopedSignatureTransform();
            reference->appendXPathTransform(kDropSignatures)->setNamespace("ds", dsig::kNamespace);
        }
        if (isXmlTarget(uri)) {
            reference->appendCanonicalizationTransform(DSIGConstants::s_unicodeStrURIC14N_NOC);
        }
    }
    // The signing time is signed, as in every other signature of this signer.
    if (signingTimeObject) {
        signature
            ->createReference(xml::XmlString("#" + timeStampId), DSIGConstants::s_unicodeStrURISHA1)
            ->appendCanonicalizationTransform(DSIGConstants::s_unicodeStrURIC14N_NOC);
    }
    if (settings.xades) {
        XadesProperties::append(*signature, certificate.getCertContext(),
                                {signatureId, settings.prefix, signingTime, now});
    }

    DOMElement* signedInfo =
        XmlSignatureFrame::nameSignedInfo(*document, *signatureElement, signatureId);
    XmlReferenceDigests::digestAll(*signedInfo, {});
    XmlSignatureValue::sign(*signature, *signatureElement,
                            *describeSigner(certificate, settings.hashAlgorithm).key);
    XmlSignatureFrame::nameSignedParts(*document, *signatureElement, signatureId);

    signature.reset();
    return stream::ByteBuffer(std::string_view(xml::XmlSerializer::serialize(*document, encoding)));
}

} // namespace component::signing

#include "component/signing/XmlSignatureFrame.h"

#include <xsec/dsig/DSIGConstants.hpp>
#include <xsec/dsig/DSIGKeyInfoX509.hpp>
#include <xsec/dsig/DSIGSignature.hpp>

#include "component/content/XadesVersion.h"
#include "component/module/ErrorCodes.h"
#include "component/signing/CertificateIdentity.h"
#include "component/signing/XadesNames.h"
#include "component/signing/XmlElementBuilder.h"
#include "component/signing/XmlIdRule.h"
#include "platform/xml/DomLookup.h"
#include "platform/xml/XPathSelection.h"
#include "platform/xml/XmlDsigNames.h"
#include "platform/xml/XmlText.h"
#include "stream/Base64.h"
#include "stream/exceptions/StreamException.h"

namespace component::signing {

namespace dsig = platform::xml::dsig;
using platform::xml::XmlString;
using xercesc::DOMElement;

DOMElement* XmlSignatureFrame::create(DSIGSignature& signature, xercesc::DOMDocument& target,
                                      const std::string& signatureId,
                                      const XmlSignSettings& settings) {
    signature.setDSIGNSPrefix(XmlString(settings.dsigPrefix()));
    DOMElement* element = signature.createBlankSignature(
        &target, DSIGConstants::s_unicodeStrURIC14N_NOC, DSIGConstants::s_unicodeStrURIRSA_SHA1);
    XmlElementBuilder::setAttribute(*element, "Id", signatureId);
    if (settings.xades) {
        XmlElementBuilder::declareNamespace(*element, "xades",
                                            xades::namespaceOf(content::XadesVersion::get()));
    }
    return element;
}

void XmlSignatureFrame::appendKeyInfo(DSIGSignature& signature,
                                      const certificates::CQNCertificate_Internal& certificate,
                                      bool includeCertificate) {
    const platform::crypt::Certificate& signer = certificate.getCertContext();
    CertificateIdentity identity = CertificateIdentity::of(signer);
    DSIGKeyInfoX509* x509 = signature.appendX509Data();
    x509->setX509IssuerSerial(XmlString(identity.issuerName), XmlString(identity.serialNumber));
    if (includeCertificate) {
        x509->appendX509Certificate(XmlString(
            stream::Base64::encodeLines(signer.der().data(), signer.der().size(), "\r\n")));
    }
}

DOMElement* XmlSignatureFrame::parentElement(xercesc::DOMDocument& document,
                                             const std::string& expression) {
    if (expression.empty()) {
        return document.getDocumentElement();
    }
    std::vector<DOMElement*> found = platform::xml::XPathSelection::elements(document, expression);
    if (found.empty()) {
        throw stream::exceptions::StreamException(
            "No se encontro el elemento indicado en ParentElement: " + expression,
            module::QN_E_OPERATION);
    }
    return found.front();
}

DOMElement* XmlSignatureFrame::child(DOMElement& parent, const char* localName) {
    return const_cast<DOMElement*>(
        platform::xml::firstChildElement(parent, dsig::kNamespace, localName));
}

void XmlSignatureFrame::giveIds(xercesc::DOMDocument& document,
                                const std::vector<std::string>& moreIds,
                                const std::string& signatureId,
                                const std::vector<std::pair<DOMElement*, const char*>>& elements) {
    for (const auto& [element, name] : elements) {
        if (element != nullptr && !platform::xml::hasAttribute(*element, "Id")) {
            XmlElementBuilder::setAttribute(*element, "Id",
                                            nextXmlId(document, signatureId + "-", name, moreIds));
        }
    }
}

void XmlSignatureFrame::giveChildIds(xercesc::DOMDocument& document,
                                     const std::vector<std::string>& moreIds, DOMElement& parent,
                                     const std::string& signatureId, const char* localName) {
    std::vector<std::pair<DOMElement*, const char*>> elements;
    for (const DOMElement* found :
         platform::xml::childElements(parent, dsig::kNamespace, localName)) {
        elements.emplace_back(const_cast<DOMElement*>(found), localName);
    }
    giveIds(document, moreIds, signatureId, elements);
}

DOMElement* XmlSignatureFrame::nameSignedInfo(xercesc::DOMDocument& document,
                                              DOMElement& signatureElement,
                                              const std::string& signatureId,
                                              const std::vector<std::string>& moreIds) {
    DOMElement* signedInfo = child(signatureElement, "SignedInfo");
    giveIds(document, moreIds, signatureId,
            {{signedInfo, "SignedInfo"}, {child(signatureElement, "KeyInfo"), "KeyInfo"}});
    giveChildIds(document, moreIds, *signedInfo, signatureId, "Reference");
    return signedInfo;
}

void XmlSignatureFrame::nameSignedParts(xercesc::DOMDocument& document,
                                        DOMElement& signatureElement,
                                        const std::string& signatureId,
                                        const std::vector<std::string>& moreIds) {
    giveChildIds(document, moreIds, signatureElement, signatureId, "SignatureValue");
    giveChildIds(document, moreIds, signatureElement, signatureId, "Object");
}

} // namespace component::signing

#pragma once

#include <string>
#include <utility>
#include <vector>

#include <xercesc/dom/DOMDocument.hpp>
#include <xercesc/dom/DOMElement.hpp>

#include "component/certificates/CQNCertificate_Internal.h"
#include "component/signing/XmlSignSettings.h"

class DSIGSignature;

namespace component::signing {

// The pieces every signature of the XML signer is built from, whether it is the one signature
// of sign() or a co-signature: the blank signature with its Id, the KeyInfo, the Ids of its
// elements, and the element an enveloped signature goes into.
class XmlSignatureFrame {
public:
    // A blank signature (C14N 1.0 without comments, RSA-SHA1) created in `target` with the
    // engine prefix of the settings, Id = signatureId and, in XAdES mode, xmlns:xades bound to
    // the namespace of the process-wide XAdES version. It is not yet placed in the document.
    static xercesc::DOMElement* create(DSIGSignature& signature, xercesc::DOMDocument& target,
                                       const std::string& signatureId,
                                       const XmlSignSettings& settings);

    // KeyInfo/X509Data: the issuer and serial number of the certificate and, with
    // includeCertificate, the DER certificate in Base64 lines of 64 characters (CR LF).
    static void appendKeyInfo(DSIGSignature& signature,
                              const certificates::CQNCertificate_Internal& certificate,
                              bool includeCertificate);

    // The first element `expression` selects (XPath, see platform::xml::XPathSelection), or
    // the document element when it is empty. Selecting nothing raises StreamException
    // QN_E_OPERATION.
    static xercesc::DOMElement* parentElement(xercesc::DOMDocument& document,
                                              const std::string& expression);

    // The child of a signature element (or of its SignedInfo) with that XML-DSig local name,
    // or null.
    static xercesc::DOMElement* child(xercesc::DOMElement& parent, const char* localName);

    // Ids, where they lack one, for the signature's SignedInfo, KeyInfo and references (by
    // giveIds); returns the SignedInfo. moreIds: Id values of the document that its DOM lacks
    // (see nextXmlId).
    static xercesc::DOMElement* nameSignedInfo(xercesc::DOMDocument& document,
                                               xercesc::DOMElement& signatureElement,
                                               const std::string& signatureId,
                                               const std::vector<std::string>& moreIds = {});
    // Ids, where they lack one, for the SignatureValue and the Objects of a signed signature.
    static void nameSignedParts(xercesc::DOMDocument& document,
                                xercesc::DOMElement& signatureElement,
                                const std::string& signatureId,
                                const std::vector<std::string>& moreIds = {});

private:
    // Gives each element that lacks an Id attribute the next Id of its name under the
    // signature (signatureId + "-" + name + n, by the Id rule over the whole document).
    static void giveIds(xercesc::DOMDocument& document, const std::vector<std::string>& moreIds,
                        const std::string& signatureId,
                        const std::vector<std::pair<xercesc::DOMElement*, const char*>>& elements);
    // giveIds for every XML-DSig child of `parent` with that local name (used as the name).
    static void giveChildIds(xercesc::DOMDocument& document,
                             const std::vector<std::string>& moreIds, xercesc::DOMElement& parent,
                             const std::string& signatureId, const char* localName);
};

} // namespace component::signing

#pragma once

#include <unordered_set>
#include <vector>

#include <xercesc/dom/DOMElement.hpp>

namespace component::signing {

// The digests of the references the XML signer makes. Same-document references (whole
// document, "#id", with the enveloped-signature, signature-dropping XPath and C14N
// transforms) are digested by platform::xml::ReferenceDigester, which the engine cannot
// replace here (it is built without XPath); references to files and HTTP(S) URLs, with no
// transform or one C14N 1.0 transform, by externalReferenceDigest. Anything else raises
// StreamException QN_E_OPERATION.
class XmlReferenceDigests {
public:
    static std::vector<unsigned char> digest(xercesc::DOMElement& reference);
    // Writes the digest (Base64) into the reference's DigestValue.
    static void setDigestValue(xercesc::DOMElement& reference,
                               const std::vector<unsigned char>& digest);
    // Digests every reference of signedInfo, in order, except those in `done`.
    static void digestAll(xercesc::DOMElement& signedInfo,
                          const std::unordered_set<const xercesc::DOMElement*>& done);
};

} // namespace component::signing

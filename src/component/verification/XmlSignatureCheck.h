#pragma once

#include <string>
#include <string_view>

#include <xercesc/dom/DOMElement.hpp>
#include <xsec/dsig/DSIGSignature.hpp>

#include "component/verification/StreamedMessage.h"

namespace component::verification {

// Whether a loaded signature verifies with the key it was given, and, when it does not, the
// messages that say why (one line per reference that failed, then the library's own).
struct XmlSignatureVerdict {
    bool valid = false;
    std::string messages;
};

class XmlSignatureCheck {
public:
    // Every reference of SignedInfo (by XML-Security-C, or by the XML layer for the transforms
    // the library cannot run) and the SignatureValue over SignedInfo. A reference that cannot
    // be processed (an unknown Id, a URI that cannot be fetched) fails the signature, with the
    // reason in its message. Failures of the SignatureValue check itself are raised. With a
    // streamed message, the references it has the octets of are checked against those.
    static XmlSignatureVerdict verify(DSIGSignature& signature,
                                      const xercesc::DOMElement& signatureElement,
                                      const StreamedMessage* streamed = nullptr);

    // The digest supplied in Base64 against the DigestValue of the last reference, all of it
    // (a digest of another length, an empty one included, fails), then the SignatureValue.
    static XmlSignatureVerdict verifyWithDigest(DSIGSignature& signature,
                                                const xercesc::DOMElement& signatureElement,
                                                std::string_view suppliedDigest);

    // The message a reference that does not verify gets, as XML-Security-C words it.
    static std::string referenceFailure(std::string_view uri, std::string_view reason = {});
};

} // namespace component::verification

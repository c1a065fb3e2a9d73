#pragma once

#include <xercesc/dom/DOMDocument.hpp>
#include <xercesc/dom/DOMElement.hpp>
#include <xsec/framework/XSECProvider.hpp>

#include "platform/crypt/Certificate.h"

namespace component::verification {

// Opens XML Encryption elements for the verifier: the recipient's RSA key from the user's
// "MY" store (XmlRecipientLookup) decrypts the key of an EncryptedData element, and the
// decrypted data takes the element's place in the document.
class XmlDecryption {
public:
    // The XML Encryption namespace.
    static constexpr char kNamespace[] = "http://www.w3.org/2001/04/xmlenc#";

    // The first EncryptedData element of the document, in document order, or null.
    static xercesc::DOMElement* firstEncryptedData(xercesc::DOMDocument& document);

    // Decrypts the element in place and returns the recipient's certificate. Raises the
    // lookup's StreamException (code 1), the library's exceptions, and StreamException
    // kXmlFailureCode when the element was left in the document.
    static platform::crypt::CertificatePtr
    decrypt(XSECProvider& provider, xercesc::DOMDocument& document, xercesc::DOMElement& encrypted);
};

} // namespace component::verification

#include "component/verification/KeyInfoCertificates.h"

#include <memory>
#include <string>

#include <xsec/enc/XSECCryptoProvider.hpp>
#include <xsec/enc/XSECCryptoX509.hpp>
#include <xsec/utils/XSECPlatformUtils.hpp>

#include "component/verification/XmlFailureText.h"
#include "platform/xml/DomLookup.h"
#include "platform/xml/XmlDsigNames.h"
#include "platform/xml/XmlFailure.h"
#include "platform/xml/XmlText.h"

namespace component::verification {

namespace {

namespace dsig = platform::xml::dsig;

// The text the library reads: the certificate element's first text node.
const xercesc::DOMNode* firstText(const xercesc::DOMElement& element) {
    for (const xercesc::DOMNode* child = element.getFirstChild(); child != nullptr;
         child = child->getNextSibling()) {
        if (child->getNodeType() == xercesc::DOMNode::TEXT_NODE) {
            return child;
        }
    }
    return nullptr;
}

void requireReadable(const xercesc::DOMNode& text) {
    std::string base64 = platform::xml::toUtf8(text.getNodeValue());
    std::unique_ptr<XSECCryptoX509> reader(XSECPlatformUtils::g_cryptoProvider->X509());
    try {
        reader->loadX509Base64Bin(base64.data(), static_cast<unsigned int>(base64.size()));
    } catch (...) {
        platform::xml::raiseXmlFailure("The certificate of the signature cannot be read: " +
                                       currentFailureText());
    }
}

} // namespace

void requireReadableCertificates(const xercesc::DOMElement& signature) {
    for (const xercesc::DOMElement* keyInfo :
         platform::xml::childElements(signature, dsig::kNamespace, "KeyInfo")) {
        for (const xercesc::DOMElement* data :
             platform::xml::childElements(*keyInfo, dsig::kNamespace, "X509Data")) {
            for (const xercesc::DOMElement* certificate :
                 platform::xml::childElements(*data, dsig::kNamespace, "X509Certificate")) {
                const xercesc::DOMNode* text = firstText(*certificate);
                if (text == nullptr) {
                    platform::xml::raiseXmlFailure("A certificate of the signature is empty");
                }
                requireReadable(*text);
            }
        }
    }
}

} // namespace component::verification

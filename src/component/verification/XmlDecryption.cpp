#include "component/verification/XmlDecryption.h"

#include <memory>

#include <openssl/evp.h>
#include <xsec/enc/OpenSSL/OpenSSLCryptoKeyRSA.hpp>

#include "component/verification/XmlRecipientLookup.h"
#include "platform/crypt/RsaKey.h"
#include "platform/xml/XmlFailure.h"
#include "platform/xml/XmlText.h"
#include "platform/xml/XsecHandles.h"

namespace component::verification {

xercesc::DOMElement* XmlDecryption::firstEncryptedData(xercesc::DOMDocument& document) {
    xercesc::DOMNodeList* found = document.getElementsByTagNameNS(
        platform::xml::XmlString(kNamespace), platform::xml::XmlString("EncryptedData"));
    return found->getLength() == 0 ? nullptr : static_cast<xercesc::DOMElement*>(found->item(0));
}

platform::crypt::CertificatePtr XmlDecryption::decrypt(XSECProvider& provider,
                                                       xercesc::DOMDocument& document,
                                                       xercesc::DOMElement& encrypted) {
    XmlRecipient recipient = XmlRecipientLookup::find(encrypted);
    std::shared_ptr<platform::crypt::PrivateKey> key = recipient.provider->privateKey();
    if (!key || EVP_PKEY_get_base_id(key->get()) != EVP_PKEY_RSA) {
        platform::xml::raiseXmlFailure("The recipient's key is not an RSA key");
    }
    platform::xml::CipherPtr cipher = platform::xml::newCipher(provider, &document);
    // The library copies the key, and the cipher owns the copy.
    auto kek = std::make_unique<OpenSSLCryptoKeyRSA>(key->get());
    cipher->setKEK(kek.release());
    cipher->decryptElement(&encrypted);
    // The decrypted data replaces the element; one that stayed would be found again.
    if (encrypted.getParentNode() != nullptr) {
        platform::xml::raiseXmlFailure("The encrypted element was not replaced by its data");
    }
    return recipient.certificate;
}

} // namespace component::verification

#include "component/signing/XmlSignatureValue.h"

#include <algorithm>
#include <string>
#include <vector>

#include <openssl/evp.h>
#include <xsec/dsig/DSIGSignature.hpp>
#include <xsec/enc/OpenSSL/OpenSSLCryptoKeyRSA.hpp>
#include <xsec/framework/XSECException.hpp>

#include "component/module/ErrorCodes.h"
#include "component/signing/XmlElementBuilder.h"
#include "platform/xml/DomLookup.h"
#include "platform/xml/XmlDsigNames.h"
#include "stream/exceptions/StreamException.h"

namespace component::signing {

void XmlSignatureValue::sign(DSIGSignature& signature, xercesc::DOMElement& signatureElement,
                             const platform::crypt::PrivateKey& key) {
    EVP_PKEY* pkey = key.get();
    if (pkey == nullptr || EVP_PKEY_get_base_id(pkey) != EVP_PKEY_RSA) {
        throw XSECException(XSECException::SigningError,
                            "Key found, but don't know how to sign the document using it");
    }
    auto* signingKey = new OpenSSLCryptoKeyRSA(pkey);
    // The signature owns its signing key from here on (and deletes a previous one).
    signature.setSigningKey(signingKey);

    unsigned char hash[EVP_MAX_MD_SIZE];
    unsigned int hashSize = signature.calculateSignedInfoHash(hash, sizeof hash);

    // Base64 of the modulus-sized value with a line feed every 64 characters, and room over.
    const size_t valueSize = static_cast<size_t>(EVP_PKEY_get_size(pkey));
    std::vector<char> text((valueSize + 2) / 3 * 4 + valueSize / 48 + 64);
    unsigned int length = signingKey->signSHA1PKCS1Base64Signature(
        hash, hashSize, text.data(), static_cast<unsigned int>(text.size() - 1),
        XSECCryptoHash::HASH_SHA1);
    std::string value(text.data(), std::min<size_t>(length, text.size() - 1));
    while (!value.empty() && (value.back() == '\n' || value.back() == '\r')) {
        value.pop_back();
    }

    auto* valueElement = const_cast<xercesc::DOMElement*>(platform::xml::firstChildElement(
        signatureElement, platform::xml::dsig::kNamespace, "SignatureValue"));
    if (valueElement == nullptr) {
        throw stream::exceptions::StreamException("The signature has no SignatureValue",
                                                  module::QN_E_OPERATION);
    }
    XmlElementBuilder::setText(*valueElement, value);
}

} // namespace component::signing

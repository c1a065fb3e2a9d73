#include "platform/xml/XsecHandles.h"

namespace platform::xml {

SignaturePtr signatureFromDom(XSECProvider& provider, xercesc::DOMDocument* document,
                              xercesc::DOMNode* signatureElement) {
    return SignaturePtr(provider.newSignatureFromDOM(document, signatureElement),
                        SignatureReleaser{&provider});
}

SignaturePtr newSignature(XSECProvider& provider) {
    return SignaturePtr(provider.newSignature(), SignatureReleaser{&provider});
}

CipherPtr newCipher(XSECProvider& provider, xercesc::DOMDocument* document) {
    return CipherPtr(provider.newCipher(document), CipherReleaser{&provider});
}

} // namespace platform::xml

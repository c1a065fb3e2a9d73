#pragma once

#include <memory>

#include <xsec/dsig/DSIGSignature.hpp>
#include <xsec/framework/XSECProvider.hpp>
#include <xsec/xenc/XENCCipher.hpp>

namespace platform::xml {

// Owners of the objects an XSECProvider makes: each goes back to the provider that made it
// (releaseSignature, releaseCipher). The provider must outlive them.
struct SignatureReleaser {
    XSECProvider* provider = nullptr;
    void operator()(DSIGSignature* signature) const noexcept {
        if (provider != nullptr && signature != nullptr) {
            provider->releaseSignature(signature);
        }
    }
};

struct CipherReleaser {
    XSECProvider* provider = nullptr;
    void operator()(XENCCipher* cipher) const noexcept {
        if (provider != nullptr && cipher != nullptr) {
            provider->releaseCipher(cipher);
        }
    }
};

using SignaturePtr = std::unique_ptr<DSIGSignature, SignatureReleaser>;
using CipherPtr = std::unique_ptr<XENCCipher, CipherReleaser>;

// provider.newSignatureFromDOM(document, element), owned.
SignaturePtr signatureFromDom(XSECProvider& provider, xercesc::DOMDocument* document,
                              xercesc::DOMNode* signatureElement);
// provider.newSignature(), owned.
SignaturePtr newSignature(XSECProvider& provider);
// provider.newCipher(document), owned.
CipherPtr newCipher(XSECProvider& provider, xercesc::DOMDocument* document);

} // namespace platform::xml

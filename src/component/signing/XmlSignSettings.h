#pragma once

#include <string>
#include <string_view>

namespace component::signing {

// The settings of the XML-DSig signer, read from the settings table when a call starts.
struct XmlSignSettings {
    std::string envelopeType;  // upper case: ENVELOPED, ENVELOPING, DETACHEDINTERNA, other
    std::string elementToSign; // "" = the whole document, "#" + Id = one element
    std::string parentElement; // XPath of the element an enveloped signature goes into
    std::string prefix;        // XMLSigNameSpaceID as set
    std::string encoding;      // XMLEncoding; "" = the input's declared encoding
    std::string hashAlgorithm;
    std::string overrideUri;
    bool xades = false;
    bool includeCertificate = false;
    bool signFromHash = false;

    static XmlSignSettings read();

    // The prefix of the XML-DSig elements the engine creates, and of the XAdES elements.
    std::string dsigPrefix() const { return prefix.empty() ? "ds" : prefix; }
    std::string xadesPrefix() const { return prefix.empty() ? "xades" : prefix; }
};

// The checks sign() makes before anything is parsed: a setting combination that cannot be
// signed raises StreamException QN_E_XMLDSIG with the first message that applies. content is
// the text passed to sign (the URL of a detached signature).
void checkCombination(const XmlSignSettings& settings, std::string_view content, bool detached);

// HashAlgorithm must be SHA-1 ("1.3.14.3.2.26"): StreamException QN_E_HASH_ALGORITHM
// otherwise.
void checkHashAlgorithm(const XmlSignSettings& settings);

} // namespace component::signing

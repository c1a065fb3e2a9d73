#pragma once

#include <optional>
#include <string>
#include <string_view>

#include <xercesc/dom/DOMDocument.hpp>
#include <xercesc/dom/DOMElement.hpp>

namespace component::verification {

// A signed document read in one streaming pass instead of as a DOM. The verifier then works on
// the document's skeleton (declaration, document element, the signatures under it) and takes
// the canonical octets of the whole document less its signatures (Canonical XML 1.0 without
// comments) from the pass for every reference that stands for exactly them: URI "" with the
// enveloped-signature transform, the XPath "not(ancestor-or-self::ds:Signature)" and C14N;
// or, when the document holds one signature, the enveloped-signature transform with or
// without C14N.
//
// This road is taken only when it checks what the DOM road would: every signature is a child
// of the document element, nothing is encrypted, and every reference of every signature is one
// of those, an Id inside the skeleton, or a URI outside the document (covers()).
class StreamedMessage {
public:
    // nullopt when the document cannot be streamed (see DocumentScan), or is not well-formed
    // (the DOM road reads it as it reads such messages).
    static std::optional<StreamedMessage> open(std::string_view message);

    const std::string& skeleton() const noexcept { return skeleton_; }

    // Whether every reference of every signature of the parsed skeleton can be checked on it.
    bool covers(const xercesc::DOMDocument& skeleton) const;

    // The octets of the reference when it stands for the whole document less its
    // signatures; null otherwise.
    const std::string* octetsOf(const xercesc::DOMElement& reference) const;

private:
    std::string skeleton_;
    std::string octets_;
    size_t signatures_ = 0;
};

} // namespace component::verification

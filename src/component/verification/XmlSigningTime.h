#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

#include <xercesc/dom/DOMElement.hpp>

#include "platform/certificates/ChainValidation.h"

namespace component::verification {

// The signing time an XML signature states in its ds:Object elements: the XAdES SigningTime
// of a "xades:QualifyingProperties" object (its own: not one of a counter-signature held in
// its unsigned properties), or the date and time of an unprefixed
// "SignatureProperties" object (as this component's signer writes them: date "20061231",
// time "23:59:59+01:00", the offset not applied). Objects are read in order and a later one
// that gives a time overrides an earlier one; a later QualifyingProperties without
// SigningTime clears a time found before it. Each step is logged at TRACE.
class XmlSigningTime {
public:
    enum class Outcome {
        Found,
        NotFound,
        // A xades:SigningTime that cannot be read: the verifier gives up on the document.
        Unreadable,
    };

    static Outcome read(const xercesc::DOMElement& signature,
                        platform::certificates::ChainTime& time);

    // The number at positions first..last of text (fewer characters where the text ends
    // first): leading blanks and a sign, then the digits up to the first other character (no
    // digit gives 0). Nothing when first lies past the end of the text.
    static std::optional<int> numberAt(std::string_view text, size_t first, size_t last);
};

} // namespace component::verification

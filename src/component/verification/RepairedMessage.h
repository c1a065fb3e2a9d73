#pragma once

#include <cstddef>
#include <optional>
#include <vector>

#include "platform/crypt/SignedDataParser.h"

namespace component::verification {

// A signer whose issuer name was written with other string types than its certificate's
// (a TeletexString issuer re-encoded by the signing software) names a certificate the message
// cannot match. The repaired copy carries the issuer as the certificate's own encoding would
// be, so the signer can be checked against it.
class RepairedMessage {
public:
    // The issuer rendered as text with dotted attribute OIDs and encoded again with
    // TeletexString values allowed (as a name with such strings is written). nullopt when the
    // name cannot be rendered or encoded.
    static std::optional<std::vector<unsigned char>>
    reencodeIssuer(const platform::crypt::ByteView& issuer);

    // True when some attribute value of the DER name is a TeletexString.
    static bool hasTeletexAttribute(const std::vector<unsigned char>& nameDer);

    // A copy of the DER message in which the element that starts at offset (and spans
    // oldLength bytes) is replaced by replacement, every enclosing element's length rewritten
    // for the change in size by walking the DER from the top down to that element. nullopt
    // when no chain of constructed elements leads to exactly that element.
    static std::optional<std::vector<unsigned char>>
    replaceElement(const unsigned char* message, size_t size, size_t offset, size_t oldLength,
                   const std::vector<unsigned char>& replacement);
};

} // namespace component::verification

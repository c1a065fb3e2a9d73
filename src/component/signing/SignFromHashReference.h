#pragma once

#include <xercesc/dom/DOMElement.hpp>

class DSIGSignature;

namespace component::signing {

// The reference "SignFromHash" adds to a signature already signed, from the settings:
// URI "URIReference", DigestMethod SHA-1 with the caller's DigestValue "HashData" (Base64 of a
// 20-byte digest, else StreamException QN_E_XMLDSIG), Id "IdReference" when set, and
// "NumberTransforms" transforms, transform i with Algorithm "TransformsNames" + i and, when
// "TransformsParams" + i is set, a copy of that XML text's root element as its content. Its
// digest is the caller's: nothing computes it. Returns the new reference element.
class SignFromHashReference {
public:
    static xercesc::DOMElement* append(DSIGSignature& signature,
                                       xercesc::DOMElement& signatureElement);

    // The bound on "NumberTransforms".
    static constexpr unsigned kMaxTransforms = 64;
};

} // namespace component::signing

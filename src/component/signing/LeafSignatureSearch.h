#pragma once

#include <string>
#include <vector>

#include <xercesc/dom/DOMDocument.hpp>
#include <xercesc/dom/DOMElement.hpp>

namespace component::signing {

// The signatures of a document that no signature counter-signs yet.
struct LeafSignature {
    xercesc::DOMElement* element = nullptr;
    // The value of its Id, id or ID attribute, the last of them in the DOM's attribute order
    // (Xerces keeps attributes sorted by name: ID, Id, id; so id wins over Id, Id over ID);
    // "" when it has none.
    std::string id;
};

// Every XML-DSig Signature element of the document, in document order, that is a leaf: no
// XML-DSig Reference of the document has the URI "#" + its Id + "-SignatureValue1" (the
// reference a counter-signature makes to its signature value).
std::vector<LeafSignature> findLeafSignatures(xercesc::DOMDocument& document);

} // namespace component::signing

#pragma once

#include <string_view>

#include <xercesc/dom/DOMElement.hpp>

namespace component::signing {

// Whether a signature placed under `parent` lies inside what the reference URI elementToSign
// selects, so that its reference needs the enveloped-signature and the signature-dropping
// XPath transforms: always for the whole document ("" and "#xpointer(/)"); for "#id" and
// "#xpointer(id('id'))" when parent or one of its ancestors carries that Id (the first present
// of its id, Id, ID and iD attributes).
bool signatureInsideReference(const xercesc::DOMElement& parent, std::string_view elementToSign);

} // namespace component::signing

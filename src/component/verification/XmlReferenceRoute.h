#pragma once

#include <xercesc/dom/DOMElement.hpp>

namespace component::verification {

// Which code processes a ds:Reference. XML-Security-C, as built here, cannot run XPath or
// XPath Filter 2.0 transforms, and its Exclusive XML Canonicalization writes xmlns="" where
// the standard does not: references that carry one of those transforms go to the XML layer's
// ReferenceDigester (when it can process them), every other reference to the library.
bool digestedByXmlLayer(const xercesc::DOMElement& reference);

} // namespace component::verification

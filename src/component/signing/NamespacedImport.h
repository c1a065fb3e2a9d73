#pragma once

#include <xercesc/dom/DOMElement.hpp>

namespace component::signing {

// Copies an element read without namespaces (a setting's text may use prefixes it does not
// declare, such as "xades:") into the document of `parent`, appended to it, as namespaced
// nodes: each prefix is resolved from the declarations of the copied tree itself, then from
// those in scope at `parent`. The copy is then what its serialised text will read as, and
// canonicalises the same before and after. A prefix declared nowhere raises StreamException
// QN_E_OPERATION.
xercesc::DOMElement* importWithNamespaces(const xercesc::DOMElement& source,
                                          xercesc::DOMElement& parent);

} // namespace component::signing

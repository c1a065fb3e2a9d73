#pragma once

#include <xercesc/dom/DOMElement.hpp>

#include "platform/xml/NodeSet.h"

namespace platform::xml {

class NodeSetDocument;

// XPath Filter 2.0 (http://www.w3.org/2002/06/xmldsig-filter2). Each XPath element of the
// Transform, in order, selects nodes (its expression evaluated once, from the document
// node, with its namespaces in scope and here()); their subtrees are intersected with,
// subtracted from or added to a filter that starts as the whole document. The set keeps
// its nodes that are in the filter.
//
// When the result is again whole subtrees (the usual case: elements selected, a signature
// subtracted, a part of the document intersected) the set stays in subtree form; otherwise
// it is listed.
class XPathFilter2Transform {
public:
    static void apply(NodeSet& set, const xercesc::DOMElement& transform,
                      NodeSetDocument& document);
};

} // namespace platform::xml

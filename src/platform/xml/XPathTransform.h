#pragma once

#include <string_view>

#include <xercesc/dom/DOMElement.hpp>

#include "platform/xml/NodeSet.h"

namespace platform::xml {

class NodeSetDocument;

// The XML-DSig XPath transform (http://www.w3.org/TR/1999/REC-xpath-19991116): the
// expression of the Transform's XPath element is evaluated as a boolean for every node of
// the set (elements, attributes, namespace nodes, text, comments, processing instructions),
// with that element's namespaces in scope and here(); the nodes for which it is true stay.
//
// The expression that drops signatures, "not(ancestor-or-self::P:Signature)" with P bound to
// the XML-DSig namespace, is carried out by taking every signature's subtree out of the set
// (nothing is evaluated per node); any other expression lists the set and goes to Xalan.
class XPathTransform {
public:
    static void apply(NodeSet& set, const xercesc::DOMElement& transform,
                      NodeSetDocument& document);

    // Whether `expression`, read with the namespaces in scope at `context`, is the
    // expression that drops signatures.
    static bool dropsSignatures(std::string_view expression, const xercesc::DOMElement& context);
};

} // namespace platform::xml

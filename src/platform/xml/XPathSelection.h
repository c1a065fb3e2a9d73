#pragma once

#include <string_view>
#include <vector>

#include <xercesc/dom/DOMDocument.hpp>
#include <xercesc/dom/DOMElement.hpp>

namespace platform::xml {

// Elements chosen by an XPath expression, as a setting names them (where an enveloped
// signature goes): the expression is evaluated from the document element, its prefixes
// resolved from the namespace declarations of the whole document.
class XPathSelection {
public:
    // The selected elements in document order; the document node stands for its document
    // element. Any other kind of node raises StreamException kXmlFailureCode
    // "No se encontro un nodo de tipo válido". An expression that cannot be compiled or
    // evaluated, and a document without a document element, select nothing.
    static std::vector<xercesc::DOMElement*> elements(xercesc::DOMDocument& document,
                                                      std::string_view expression);
};

} // namespace platform::xml

#pragma once

#include <vector>

#include <xercesc/dom/DOMDocument.hpp>
#include <xercesc/dom/DOMNode.hpp>

namespace platform::xml {

// While alive, every run of adjacent text and CDATA section siblings of the document is one
// text node, as the XPath data model has it (Xalan over a Xerces DOM sees CDATA sections as
// nodes of their own, which text() does not select, and sees split text as several nodes).
// The original nodes are put back when the view goes. Canonical XML writes both forms alike.
class XPathTextView {
public:
    explicit XPathTextView(xercesc::DOMDocument& document);
    ~XPathTextView();
    XPathTextView(const XPathTextView&) = delete;
    XPathTextView& operator=(const XPathTextView&) = delete;

private:
    struct Run {
        xercesc::DOMNode* merged;
        std::vector<xercesc::DOMNode*> originals;
    };
    std::vector<Run> runs_;
};

} // namespace platform::xml

#pragma once

#include <memory>

#include <xercesc/dom/DOMDocument.hpp>

#include "platform/xml/NamespaceExpansion.h"
#include "platform/xml/XPathEngine.h"
#include "platform/xml/XPathTextView.h"

namespace platform::xml {

// The document the node sets of one reference belong to, with what their transforms need of
// it: an XPath engine (over the document's XPath text view), and the namespace expansion that
// listed node sets rely on. Both change the document until this object goes; the XPath engine
// is made again after an expansion.
class NodeSetDocument {
public:
    explicit NodeSetDocument(xercesc::DOMDocument& document);
    ~NodeSetDocument();
    NodeSetDocument(const NodeSetDocument&) = delete;
    NodeSetDocument& operator=(const NodeSetDocument&) = delete;

    xercesc::DOMDocument& document() const noexcept { return document_; }

    // Gives every element its namespace nodes as attributes (once), over the text view.
    void expandNamespaces();
    bool namespacesExpanded() const noexcept { return expansion_ != nullptr; }

    // The XPath engine over the document as it is now; text runs become single text nodes
    // from the first call on.
    XPathEngine& xpath();

private:
    void useTextView();

    xercesc::DOMDocument& document_;
    // Destroyed in reverse order: the engine goes first, then the expansion, then the view.
    std::unique_ptr<XPathTextView> textView_;
    std::unique_ptr<NamespaceExpansion> expansion_;
    std::unique_ptr<XPathEngine> engine_;
};

} // namespace platform::xml

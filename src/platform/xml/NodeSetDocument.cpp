#include "platform/xml/NodeSetDocument.h"

namespace platform::xml {

NodeSetDocument::NodeSetDocument(xercesc::DOMDocument& document) : document_(document) {}

NodeSetDocument::~NodeSetDocument() {
    engine_.reset();
    expansion_.reset();
    textView_.reset();
}

void NodeSetDocument::expandNamespaces() {
    if (expansion_) {
        return;
    }
    // Listed sets need the expansion; their text nodes are those of the text view.
    useTextView();
    // Xalan's wrapper keeps what it has seen of the document: it is made again.
    engine_.reset();
    expansion_ = std::make_unique<NamespaceExpansion>(document_);
}

void NodeSetDocument::useTextView() {
    if (!textView_) {
        engine_.reset();
        textView_ = std::make_unique<XPathTextView>(document_);
    }
}

XPathEngine& NodeSetDocument::xpath() {
    useTextView();
    if (!engine_) {
        engine_ = std::make_unique<XPathEngine>(document_);
    }
    return *engine_;
}

} // namespace platform::xml

#include "platform/xml/XPathTextView.h"

#include <string>

#include <xercesc/dom/DOMText.hpp>
#include <xercesc/util/XMLString.hpp>

#include "platform/xml/NodeSet.h"

namespace platform::xml {

namespace {

using xercesc::DOMNode;

bool isText(const DOMNode* node) {
    return node != nullptr && (node->getNodeType() == DOMNode::TEXT_NODE ||
                               node->getNodeType() == DOMNode::CDATA_SECTION_NODE);
}

} // namespace

XPathTextView::XPathTextView(xercesc::DOMDocument& document) {
    // The runs are found first and replaced afterwards, so the walk sees an unchanged tree.
    std::vector<std::vector<DOMNode*>> found;
    walkSubtree(&document, [&found](const DOMNode* node) {
        if (!isText(node) || isText(node->getPreviousSibling())) {
            return true;
        }
        std::vector<DOMNode*> run;
        bool cdata = false;
        for (const DOMNode* at = node; isText(at); at = at->getNextSibling()) {
            run.push_back(const_cast<DOMNode*>(at));
            cdata = cdata || at->getNodeType() == DOMNode::CDATA_SECTION_NODE;
        }
        if (run.size() > 1 || cdata) {
            found.push_back(std::move(run));
        }
        return true;
    });
    for (std::vector<DOMNode*>& run : found) {
        std::u16string data;
        for (const DOMNode* piece : run) {
            data += piece->getNodeValue();
        }
        DOMNode* parent = run.front()->getParentNode();
        DOMNode* merged = document.createTextNode(data.c_str());
        parent->insertBefore(merged, run.front());
        for (DOMNode* piece : run) {
            parent->removeChild(piece);
        }
        runs_.push_back({merged, std::move(run)});
    }
}

XPathTextView::~XPathTextView() {
    for (auto run = runs_.rbegin(); run != runs_.rend(); ++run) {
        try {
            DOMNode* parent = run->merged->getParentNode();
            for (DOMNode* piece : run->originals) {
                parent->insertBefore(piece, run->merged);
            }
            parent->removeChild(run->merged)->release();
        } catch (...) {
            // Nodes go back where they were taken from; the DOM does not refuse that.
        }
    }
}

} // namespace platform::xml

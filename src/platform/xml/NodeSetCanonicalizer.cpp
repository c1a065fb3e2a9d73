#include "platform/xml/NodeSetCanonicalizer.h"

#include <algorithm>
#include <sstream>
#include <vector>

#include <xercesc/dom/DOMDocument.hpp>
#include <xsec/canon/XSECC14n20010315.hpp>
#include <xsec/utils/XSECXPathNodeList.hpp>

#include "platform/xml/EmptyDefaultNamespaceFilter.h"
#include "platform/xml/NodeSetDocument.h"
#include "platform/xml/XmlLibraries.h"

namespace platform::xml {

namespace {

using xercesc::DOMNode;

constexpr size_t kChunk = 64 * 1024;

// Subtrees taken out of the document while an apex is written, put back in reverse order at
// the places they came from.
class DetachedSubtrees {
public:
    DetachedSubtrees() = default;
    DetachedSubtrees(const DetachedSubtrees&) = delete;
    DetachedSubtrees& operator=(const DetachedSubtrees&) = delete;
    ~DetachedSubtrees() {
        for (auto place = places_.rbegin(); place != places_.rend(); ++place) {
            try {
                place->parent->insertBefore(place->node, place->next);
            } catch (...) {
                // Putting a node back where it was taken from cannot be refused.
            }
        }
    }

    void detach(DOMNode* node) {
        DOMNode* parent = node->getParentNode();
        if (parent == nullptr) {
            return;
        }
        places_.push_back({node, parent, node->getNextSibling()});
        parent->removeChild(node);
    }

private:
    struct Place {
        DOMNode* node;
        DOMNode* parent;
        DOMNode* next;
    };
    std::vector<Place> places_;
};

// True when `node` lies inside the subtree of `apex` (apex excluded).
bool inside(const DOMNode* node, const DOMNode* apex) {
    for (const DOMNode* up = node->getParentNode(); up != nullptr; up = up->getParentNode()) {
        if (up == apex) {
            return true;
        }
    }
    return false;
}

void configure(XSECC14n20010315& c14n, const NodeSetCanonicalizer::Method& method,
               std::vector<char>& prefixes) {
    c14n.setCommentsProcessing(method.comments);
    if (method.exclusive) {
        if (method.inclusivePrefixes.empty()) {
            c14n.setExclusive();
        } else {
            prefixes.assign(method.inclusivePrefixes.begin(), method.inclusivePrefixes.end());
            prefixes.push_back('\0');
            c14n.setExclusive(prefixes.data());
        }
    }
}

void drain(XSECC14n20010315& c14n, const OctetSink& sink) {
    std::vector<unsigned char> buffer(kChunk);
    for (;;) {
        XMLSize_t produced = c14n.outputBuffer(buffer.data(), buffer.size());
        if (produced == 0) {
            return;
        }
        sink(buffer.data(), produced);
    }
}

void canonicalizeSubtrees(xercesc::DOMDocument& document, const NodeSet& set,
                          const NodeSetCanonicalizer::Method& method, const OctetSink& sink) {
    for (const DOMNode* apex : set.apexes()) {
        DetachedSubtrees detached;
        for (const DOMNode* excluded : set.excluded()) {
            if (!inside(excluded, apex)) {
                continue;
            }
            // Only the outermost excluded subtrees need to go.
            bool nested = false;
            for (const DOMNode* up = excluded->getParentNode(); up != apex;
                 up = up->getParentNode()) {
                if (set.excluded().count(up) != 0) {
                    nested = true;
                    break;
                }
            }
            if (!nested) {
                detached.detach(const_cast<DOMNode*>(excluded));
            }
        }
        DOMNode* start = const_cast<DOMNode*>(apex);
        XSECC14n20010315 c14n(&document, start);
        std::vector<char> prefixes;
        configure(c14n, method, prefixes);
        // Comments are written only when the set holds them.
        c14n.setCommentsProcessing(method.comments && set.comments());
        drain(c14n, sink);
    }
}

void canonicalizeListed(xercesc::DOMDocument& document, const NodeSet& set,
                        const NodeSetCanonicalizer::Method& method, const OctetSink& sink) {
    XSECXPathNodeList list;
    for (const DOMNode* node : set.members()) {
        list.addNode(node);
    }
    XSECC14n20010315 c14n(&document);
    std::vector<char> prefixes;
    configure(c14n, method, prefixes);
    c14n.setXPathMap(list);
    // Namespace nodes are members of the list (the document is expanded).
    c14n.setUseNamespaceStack(false);
    drain(c14n, sink);
}

// Whether the PrefixList names the default namespace.
bool listsDefault(const std::string& prefixes) {
    std::istringstream tokens(prefixes);
    std::string token;
    while (tokens >> token) {
        if (token == "#default") {
            return true;
        }
    }
    return false;
}

} // namespace

void NodeSetCanonicalizer::canonicalize(NodeSetDocument& document, const NodeSet& set,
                                        const Method& method, const OctetSink& sink) {
    XmlLibraries::require();
    auto run = [&](const OctetSink& target) {
        if (set.listed()) {
            canonicalizeListed(document.document(), set, method, target);
        } else {
            canonicalizeSubtrees(document.document(), set, method, target);
        }
    };
    if (!method.exclusive || listsDefault(method.inclusivePrefixes)) {
        run(sink);
        return;
    }
    EmptyDefaultNamespaceFilter filter(sink);
    run([&filter](const unsigned char* bytes, size_t size) { filter.write(bytes, size); });
    filter.finish();
}

} // namespace platform::xml

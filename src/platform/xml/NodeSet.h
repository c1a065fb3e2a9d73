#pragma once

#include <functional>
#include <unordered_set>
#include <vector>

#include <xercesc/dom/DOMNode.hpp>

namespace platform::xml {

class NodeSetDocument;

// A set of nodes of one document in the XPath data model, as a same-document reference and
// its transforms make it. It takes one of two forms:
//
// - Subtrees: whole subtrees (of the document node or of elements, the apexes, in document
//   order), less excluded subtrees inside them, with or without the comments. Nothing is
//   listed, so the set of a large document costs nothing; this is what dereferenced URIs,
//   the enveloped-signature transform, the XPath transform that drops signatures and most
//   XPath Filter 2.0 transforms give.
// - Listed: every member listed, namespace nodes being the attributes that the document's
//   namespace expansion adds (NodeSetDocument::expandNamespaces). Any set can be listed;
//   general XPath transforms need it.
class NodeSet {
public:
    using Node = const xercesc::DOMNode*;

    // The subtree of `apex` (the document node or an element).
    static NodeSet subtree(const xercesc::DOMNode& apex, bool comments);

    bool listed() const noexcept { return listed_; }

    // Subtree form.
    const std::vector<Node>& apexes() const noexcept { return apexes_; }
    const std::unordered_set<Node>& excluded() const noexcept { return excluded_; }
    bool comments() const noexcept { return comments_; }

    // Listed form.
    const std::unordered_set<Node>& members() const noexcept { return members_; }
    bool contains(Node node) const { return members_.count(node) != 0; }

    // Takes out `root` with its subtree (its attributes and namespace nodes included). A root
    // outside the set changes nothing.
    void excludeSubtree(Node root);

    // Turns a subtree set into a listed one. The document's namespaces must be expanded.
    void list(const NodeSetDocument& document);

    // Keeps the members of a listed set for which `keep` is true.
    void retain(const std::function<bool(Node)>& keep);

    // A subtree set made of explicit apexes and exclusions (apexes in document order).
    static NodeSet subtrees(std::vector<Node> apexes, std::unordered_set<Node> excluded,
                            bool comments);

private:
    bool listed_ = false;
    std::vector<Node> apexes_;
    std::unordered_set<Node> excluded_;
    bool comments_ = false;
    std::unordered_set<Node> members_;
};

// The parent of a node in the XPath data model: the owner element of an attribute.
const xercesc::DOMNode* parentOf(const xercesc::DOMNode* node);

// Calls visit(node) for `root` and every node below it, attributes of elements included
// (right after their element), in document order, without recursion. visit returns false to
// skip the node's attributes and descendants.
void walkSubtree(const xercesc::DOMNode* root,
                 const std::function<bool(const xercesc::DOMNode*)>& visit);

} // namespace platform::xml

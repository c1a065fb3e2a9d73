#include "platform/xml/NodeSet.h"

#include <algorithm>
#include <utility>

#include <xercesc/dom/DOMAttr.hpp>
#include <xercesc/dom/DOMNamedNodeMap.hpp>

#include "platform/xml/NodeSetDocument.h"
#include "platform/xml/XmlFailure.h"

namespace platform::xml {

using xercesc::DOMNode;

const DOMNode* parentOf(const DOMNode* node) {
    if (node->getNodeType() == DOMNode::ATTRIBUTE_NODE) {
        return static_cast<const xercesc::DOMAttr*>(node)->getOwnerElement();
    }
    return node->getParentNode();
}

void walkSubtree(const DOMNode* root, const std::function<bool(const DOMNode*)>& visit) {
    const DOMNode* node = root;
    while (node != nullptr) {
        bool descend = visit(node);
        if (node->getNodeType() == DOMNode::ATTRIBUTE_NODE) {
            // Only a root can be an attribute; its value is not a node of the data model.
            return;
        }
        if (descend && node->getNodeType() == DOMNode::ELEMENT_NODE) {
            const xercesc::DOMNamedNodeMap* attributes = node->getAttributes();
            for (XMLSize_t i = 0; attributes != nullptr && i < attributes->getLength(); ++i) {
                visit(attributes->item(i));
            }
        }
        if (descend && node->getFirstChild() != nullptr) {
            node = node->getFirstChild();
            continue;
        }
        while (node != root && node->getNextSibling() == nullptr) {
            node = node->getParentNode();
        }
        if (node == root) {
            return;
        }
        node = node->getNextSibling();
    }
}

NodeSet NodeSet::subtree(const DOMNode& apex, bool comments) {
    NodeSet set;
    set.apexes_.push_back(&apex);
    set.comments_ = comments;
    return set;
}

NodeSet NodeSet::subtrees(std::vector<Node> apexes, std::unordered_set<Node> excluded,
                          bool comments) {
    NodeSet set;
    set.apexes_ = std::move(apexes);
    set.excluded_ = std::move(excluded);
    set.comments_ = comments;
    return set;
}

void NodeSet::excludeSubtree(Node root) {
    if (listed_) {
        walkSubtree(root, [this](const DOMNode* node) {
            members_.erase(node);
            return true;
        });
        return;
    }
    if (root->getNodeType() == DOMNode::ATTRIBUTE_NODE) {
        raiseXmlFailure("An attribute cannot be taken out of a set of whole subtrees");
    }
    // Apexes at or below the root go entirely.
    auto below = [root](Node apex) {
        for (Node node = apex; node != nullptr; node = node->getParentNode()) {
            if (node == root) {
                return true;
            }
        }
        return false;
    };
    size_t before = apexes_.size();
    apexes_.erase(std::remove_if(apexes_.begin(), apexes_.end(), below), apexes_.end());
    if (apexes_.size() != before) {
        std::erase_if(excluded_, below);
        return;
    }
    // Otherwise the root is excluded when it lies inside an apex and not already inside an
    // excluded subtree.
    for (Node node = root->getParentNode(); node != nullptr; node = node->getParentNode()) {
        if (excluded_.count(node) != 0) {
            return;
        }
        if (std::find(apexes_.begin(), apexes_.end(), node) != apexes_.end()) {
            excluded_.insert(root);
            return;
        }
    }
}

void NodeSet::list(const NodeSetDocument& document) {
    if (listed_) {
        return;
    }
    if (!document.namespacesExpanded()) {
        raiseXmlFailure("A node set is listed only over a document with expanded namespaces");
    }
    for (Node apex : apexes_) {
        walkSubtree(apex, [this](const DOMNode* node) {
            if (excluded_.count(node) != 0) {
                return false;
            }
            switch (node->getNodeType()) {
            case DOMNode::COMMENT_NODE:
                if (!comments_) {
                    return false;
                }
                break;
            case DOMNode::DOCUMENT_TYPE_NODE:
                return false;
            default:
                break;
            }
            members_.insert(node);
            return true;
        });
    }
    listed_ = true;
    apexes_.clear();
    excluded_.clear();
}

void NodeSet::retain(const std::function<bool(Node)>& keep) {
    if (!listed_) {
        raiseXmlFailure("Only a listed node set can be filtered node by node");
    }
    std::erase_if(members_, [&keep](Node node) { return !keep(node); });
}

} // namespace platform::xml

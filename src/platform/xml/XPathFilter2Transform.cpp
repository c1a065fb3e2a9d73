#include "platform/xml/XPathFilter2Transform.h"

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

#include <xercesc/dom/DOMDocument.hpp>
#include <xercesc/dom/DOMNamedNodeMap.hpp>

#include "platform/xml/DomLookup.h"
#include "platform/xml/NodeSetDocument.h"
#include "platform/xml/XPathEngine.h"
#include "platform/xml/XmlDsigNames.h"
#include "platform/xml/XmlFailure.h"

namespace platform::xml {

namespace {

using xercesc::DOMNode;
using Nodes = std::unordered_set<const DOMNode*>;

enum class Operation { Intersect, Subtract, Union };

struct Step {
    Operation operation;
    const xercesc::DOMElement* element;
    std::string expression;
    Nodes selected;
};

std::vector<Step> readSteps(const xercesc::DOMElement& transform) {
    std::vector<Step> steps;
    for (const xercesc::DOMElement* element :
         childElements(transform, dsig::kFilter2Namespace, "XPath")) {
        std::string filter = attributeText(*element, "Filter");
        Operation operation;
        if (filter == "intersect") {
            operation = Operation::Intersect;
        } else if (filter == "subtract") {
            operation = Operation::Subtract;
        } else if (filter == "union") {
            operation = Operation::Union;
        } else {
            raiseXmlFailure("The XPath Filter 2.0 operation \"" + filter + "\" is unknown");
        }
        steps.push_back({operation, element, textOf(*element), {}});
    }
    if (steps.empty()) {
        raiseXmlFailure("The XPath Filter 2.0 transform has no XPath element");
    }
    return steps;
}

void evaluate(std::vector<Step>& steps, NodeSetDocument& document) {
    XPathEngine& engine = document.xpath();
    for (Step& step : steps) {
        auto compiled = engine.compile(step.expression, step.element, step.element);
        std::vector<const DOMNode*> found = engine.select(*compiled, document.document());
        step.selected = Nodes(found.begin(), found.end());
    }
}

// Whether the filter holds a node, given which steps' subtrees hold it (bit i for step i).
bool inFilter(const std::vector<Step>& steps, uint64_t within) {
    bool in = true;
    for (size_t i = 0; i < steps.size(); ++i) {
        bool selected = (within >> i & 1u) != 0;
        switch (steps[i].operation) {
        case Operation::Intersect:
            in = in && selected;
            break;
        case Operation::Subtract:
            in = in && !selected;
            break;
        case Operation::Union:
            in = in || selected;
            break;
        }
    }
    return in;
}

uint64_t selectedBits(const std::vector<Step>& steps, const DOMNode* node) {
    uint64_t bits = 0;
    for (size_t i = 0; i < steps.size(); ++i) {
        if (steps[i].selected.count(node) != 0) {
            bits |= uint64_t{1} << i;
        }
    }
    return bits;
}

// The filter over a listed set: each member's subtree membership from its ancestors.
void filterListed(NodeSet& set, const std::vector<Step>& steps) {
    set.retain([&steps](NodeSet::Node node) {
        uint64_t within = 0;
        for (const DOMNode* up = node; up != nullptr; up = parentOf(up)) {
            within |= selectedBits(steps, up);
        }
        return inFilter(steps, within);
    });
}

// The filter over a subtree set by one walk of the document. The result is whole subtrees
// again unless a selected node is an attribute (or a namespace node), a member lies alone
// below a non-member (an apex that is not an element), or a member lies inside a subtree
// taken out of another member: then nothing is returned and the set must be listed.
std::optional<NodeSet> filterSubtrees(const NodeSet& set, const std::vector<Step>& steps,
                                      const xercesc::DOMDocument& document) {
    for (const Step& step : steps) {
        for (const DOMNode* node : step.selected) {
            if (node->getNodeType() == DOMNode::ATTRIBUTE_NODE) {
                return std::nullopt;
            }
        }
    }
    const Nodes inputApexes(set.apexes().begin(), set.apexes().end());

    struct State {
        bool input;       // in the input set
        uint64_t within;  // the steps whose selected subtrees hold the node
        bool member;      // in the result
        bool underMember; // the node or an ancestor is in the result
    };
    std::vector<NodeSet::Node> apexes;
    Nodes excluded;
    std::vector<State> stack;
    bool subtreesOnly = true;

    auto enter = [&](const DOMNode* node) {
        State parent = stack.empty() ? State{false, 0, false, false} : stack.back();
        State state;
        bool comment = node->getNodeType() == DOMNode::COMMENT_NODE;
        state.input = (inputApexes.count(node) != 0 || parent.input) &&
                      set.excluded().count(node) == 0 && !(comment && !set.comments());
        state.within = parent.within | selectedBits(steps, node);
        state.member = state.input && inFilter(steps, state.within);
        state.underMember = parent.underMember || state.member;
        if (state.member && !parent.member) {
            auto type = node->getNodeType();
            if (parent.underMember ||
                (type != DOMNode::ELEMENT_NODE && type != DOMNode::DOCUMENT_NODE)) {
                subtreesOnly = false;
            }
            apexes.push_back(node);
        } else if (!state.member && parent.member && !(comment && !set.comments())) {
            excluded.insert(node);
        }
        stack.push_back(state);
    };

    // Elements and the other child nodes, in document order, without recursion.
    const DOMNode* node = &document;
    while (node != nullptr && subtreesOnly) {
        enter(node);
        if (node->getFirstChild() != nullptr &&
            node->getNodeType() != DOMNode::DOCUMENT_TYPE_NODE) {
            node = node->getFirstChild();
            continue;
        }
        for (;;) {
            stack.pop_back();
            if (node == &document) {
                node = nullptr;
                break;
            }
            if (node->getNextSibling() != nullptr) {
                node = node->getNextSibling();
                break;
            }
            node = node->getParentNode();
        }
    }
    if (!subtreesOnly) {
        return std::nullopt;
    }
    return NodeSet::subtrees(std::move(apexes), std::move(excluded), set.comments());
}

} // namespace

void XPathFilter2Transform::apply(NodeSet& set, const xercesc::DOMElement& transform,
                                  NodeSetDocument& document) {
    std::vector<Step> steps = readSteps(transform);
    if (steps.size() > 64) {
        raiseXmlFailure("The XPath Filter 2.0 transform has more than 64 XPath elements");
    }
    evaluate(steps, document);
    if (!set.listed()) {
        if (std::optional<NodeSet> result = filterSubtrees(set, steps, document.document())) {
            set = std::move(*result);
            return;
        }
        // Namespace nodes are needed as nodes: evaluated again over the expanded document.
        document.expandNamespaces();
        set.list(document);
        evaluate(steps, document);
    }
    filterListed(set, steps);
}

} // namespace platform::xml

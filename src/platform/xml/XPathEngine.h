#pragma once

#include <memory>
#include <string_view>
#include <vector>

#include <xercesc/dom/DOMDocument.hpp>
#include <xercesc/dom/DOMElement.hpp>
#include <xercesc/dom/DOMNode.hpp>

namespace platform::xml {

// XPath 1.0 over one Xerces document, evaluated by Xalan-C through its Xerces wrapper. Nodes
// go in and come out as Xerces nodes. The document must not change while an engine is alive
// (Xalan's wrapper mirrors the nodes it has seen).
//
// Expressions may call here() (XML-DSig): it returns the node given when compiling. Failures
// to compile or evaluate raise StreamException kXmlFailureCode with Xalan's message.
class XPathEngine {
public:
    explicit XPathEngine(const xercesc::DOMDocument& document);
    ~XPathEngine();
    XPathEngine(const XPathEngine&) = delete;
    XPathEngine& operator=(const XPathEngine&) = delete;

    class Expression;

    // Compiles `text`. Prefixes are resolved from the namespaces in scope at
    // namespaceContext, or, when it is null, from every namespace declaration of the
    // document. `here` is what here() returns (none when null).
    std::unique_ptr<Expression> compile(std::string_view text,
                                        const xercesc::DOMElement* namespaceContext,
                                        const xercesc::DOMNode* here = nullptr);

    // The boolean value of the expression with `context` as context node.
    bool test(Expression& expression, const xercesc::DOMNode& context);
    // The node set the expression selects from `context`, in Xalan's order (document order
    // for a location path, not always for a union). A result that is not a node set is a
    // failure.
    std::vector<const xercesc::DOMNode*> select(Expression& expression,
                                                const xercesc::DOMNode& context);

private:
    struct Engine;
    std::unique_ptr<Engine> engine_;
};

// The compiled form of an expression, bound to its engine; destroyed before it.
class XPathEngine::Expression {
public:
    ~Expression();
    Expression(const Expression&) = delete;
    Expression& operator=(const Expression&) = delete;

private:
    friend class XPathEngine;
    struct State;
    explicit Expression(std::unique_ptr<State> state);
    std::unique_ptr<State> state_;
};

} // namespace platform::xml

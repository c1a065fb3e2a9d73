#include "platform/xml/XPathEngine.h"

#include <string>

#include <xalanc/DOMSupport/XalanDocumentPrefixResolver.hpp>
#include <xalanc/PlatformSupport/XSLException.hpp>
#include <xalanc/XPath/ElementPrefixResolverProxy.hpp>
#include <xalanc/XPath/Function.hpp>
#include <xalanc/XPath/NodeRefListBase.hpp>
#include <xalanc/XPath/XObjectFactory.hpp>
#include <xalanc/XPath/XObjectFactoryDefault.hpp>
#include <xalanc/XPath/XPath.hpp>
#include <xalanc/XPath/XPathConstructionContextDefault.hpp>
#include <xalanc/XPath/XPathEnvSupportDefault.hpp>
#include <xalanc/XPath/XPathExecutionContextDefault.hpp>
#include <xalanc/XPath/XPathFactoryDefault.hpp>
#include <xalanc/XPath/XPathProcessorImpl.hpp>
#include <xalanc/XalanDOM/XalanDOMException.hpp>
#include <xalanc/XalanDOM/XalanElement.hpp>
#include <xalanc/XercesParserLiaison/XercesDOMSupport.hpp>
#include <xalanc/XercesParserLiaison/XercesDocumentWrapper.hpp>
#include <xalanc/XercesParserLiaison/XercesParserLiaison.hpp>

#include "com/BStr.h"
#include "platform/xml/XmlFailure.h"
#include "platform/xml/XmlLibraries.h"
#include "platform/xml/XmlText.h"

namespace platform::xml {

namespace {

using xalanc::XalanDOMString;
using xalanc::XalanNode;
using Locator = xercesc::Locator;

// here() is called through a prefix of our own: Xalan accepts unprefixed names only for its
// built-in functions.
constexpr char16_t kHerePrefix[] = u"quillion2-xpath-here";
constexpr char16_t kHereNamespace[] = u"urn:quillion2:xpath:here";
constexpr char16_t kHereName[] = u"here";

// Xalan reports problems to the console before raising them; the exception carries the
// message, so the reports are dropped.
template <class Context> class Quiet : public Context {
public:
    using Context::Context;
    using typename Context::eClassification;
    using typename Context::eSource;
    void problem(eSource, eClassification, const XalanDOMString&, const Locator*,
                 const XalanNode*) override {}
    void problem(eSource, eClassification, const XalanDOMString&, const XalanNode*) override {}
};

using QuietConstructionContext = Quiet<xalanc::XPathConstructionContextDefault>;
using QuietExecutionContext = Quiet<xalanc::XPathExecutionContextDefault>;
using QuietEnvSupport = Quiet<xalanc::XPathEnvSupportDefault>;

// XML-DSig's here(): the node that bears the expression.
class HereFunction : public xalanc::Function {
public:
    explicit HereFunction(XalanNode* here) : here_(here) {}

    using Function::execute;
    xalanc::XObjectPtr execute(xalanc::XPathExecutionContext& context, XalanNode*,
                               const Locator*) const override {
        if (here_ != nullptr) {
            return context.getXObjectFactory().createNodeSet(here_);
        }
        xalanc::XPathExecutionContext::BorrowReturnMutableNodeRefList empty(context);
        return context.getXObjectFactory().createNodeSet(empty);
    }

    HereFunction* clone(xalanc::MemoryManager& manager) const override {
        return xalanc::XalanCopyConstruct(manager, *this);
    }

protected:
    const XalanDOMString& getError(XalanDOMString& buffer) const override {
        buffer.assign("The here() function accepts no arguments");
        return buffer;
    }

private:
    XalanNode* here_;
};

// The prefix of here() first, then the expression's own namespace context.
class HerePrefixResolver : public xalanc::PrefixResolver {
public:
    explicit HerePrefixResolver(const xalanc::PrefixResolver& inner)
        : inner_(inner), prefix_(kHerePrefix), namespace_(kHereNamespace) {}

    const XalanDOMString* getNamespaceForPrefix(const XalanDOMString& prefix) const override {
        if (prefix == prefix_) {
            return &namespace_;
        }
        return inner_.getNamespaceForPrefix(prefix);
    }
    const XalanDOMString& getURI() const override { return inner_.getURI(); }

private:
    const xalanc::PrefixResolver& inner_;
    XalanDOMString prefix_;
    XalanDOMString namespace_;
};

bool isNameChar(char16_t c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') ||
           c == u'.' || c == u'-' || c == u'_' || c >= 0x80;
}

bool isBlank(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n';
}

// Every call of the unprefixed function here() gets the prefix of our here(). String
// literals are left alone.
std::u16string prefixHereCalls(std::u16string_view text) {
    std::u16string out;
    out.reserve(text.size() + 32);
    size_t i = 0;
    while (i < text.size()) {
        char16_t c = text[i];
        if (c == u'\'' || c == u'"') {
            size_t end = text.find(c, i + 1);
            end = end == std::u16string_view::npos ? text.size() : end + 1;
            out.append(text.substr(i, end - i));
            i = end;
            continue;
        }
        if (isNameChar(c)) {
            size_t end = i;
            while (end < text.size() && (isNameChar(text[end]) || text[end] == u':')) {
                ++end;
            }
            std::u16string_view name = text.substr(i, end - i);
            size_t next = end;
            while (next < text.size() && isBlank(text[next])) {
                ++next;
            }
            bool variable = i > 0 && text[i - 1] == u'$';
            if (name == kHereName && !variable && next < text.size() && text[next] == u'(') {
                out.append(kHerePrefix);
                out.push_back(u':');
            }
            out.append(name);
            i = end;
            continue;
        }
        out.push_back(c);
        ++i;
    }
    return out;
}

std::string messageOf(const xalanc::XSLException& e) {
    return toUtf8(e.getMessage().c_str(), e.getMessage().length());
}

} // namespace

struct XPathEngine::Engine {
    xalanc::XercesParserLiaison liaison;
    xalanc::XercesDOMSupport domSupport{liaison};
    xalanc::XalanDocument* document = nullptr; // owned by the liaison
    xalanc::XercesDocumentWrapper* wrapper = nullptr;
    std::unique_ptr<xalanc::XalanDocumentPrefixResolver> documentNamespaces;
    xalanc::XPathFactoryDefault factory;
    QuietConstructionContext construction;
    xalanc::XPathProcessorImpl processor;

    XalanNode* toXalan(const xercesc::DOMNode* node) const {
        XalanNode* mapped = wrapper->mapNode(node);
        if (mapped == nullptr) {
            raiseXmlFailure("The node does not belong to the document of the XPath expression");
        }
        return mapped;
    }
};

struct XPathEngine::Expression::State {
    explicit State(Engine& owner) : engine(owner) {}
    ~State() {
        if (xpath != nullptr) {
            engine.factory.returnObject(xpath);
        }
    }

    Engine& engine;
    QuietEnvSupport environment;
    xalanc::XObjectFactoryDefault objects;
    QuietExecutionContext execution{environment, engine.domSupport, objects};
    std::unique_ptr<xalanc::ElementPrefixResolverProxy> elementNamespaces;
    std::unique_ptr<HerePrefixResolver> namespaces;
    xalanc::XPath* xpath = nullptr;
};

XPathEngine::Expression::Expression(std::unique_ptr<State> state) : state_(std::move(state)) {}
XPathEngine::Expression::~Expression() = default;

XPathEngine::XPathEngine(const xercesc::DOMDocument& document) {
    XmlLibraries::require();
    engine_ = std::make_unique<Engine>();
    try {
        // Wrapper nodes are made on demand and mapped both ways.
        engine_->document = engine_->liaison.createDocument(&document, false, false, true);
        engine_->wrapper = engine_->liaison.mapDocumentToWrapper(engine_->document);
    } catch (const xalanc::XSLException& e) {
        raiseXmlFailure(messageOf(e));
    }
    if (engine_->wrapper == nullptr) {
        raiseXmlFailure("The document cannot be prepared for XPath");
    }
}

XPathEngine::~XPathEngine() = default;

std::unique_ptr<XPathEngine::Expression>
XPathEngine::compile(std::string_view text, const xercesc::DOMElement* namespaceContext,
                     const xercesc::DOMNode* here) {
    Engine& engine = *engine_;
    auto state = std::make_unique<Expression::State>(engine);
    try {
        const xalanc::PrefixResolver* inner = nullptr;
        if (namespaceContext != nullptr) {
            auto* element = static_cast<const xalanc::XalanElement*>(
                static_cast<const XalanNode*>(engine.toXalan(namespaceContext)));
            state->elementNamespaces = std::make_unique<xalanc::ElementPrefixResolverProxy>(
                element, state->environment, engine.domSupport);
            inner = state->elementNamespaces.get();
        } else {
            if (!engine.documentNamespaces) {
                engine.documentNamespaces =
                    std::make_unique<xalanc::XalanDocumentPrefixResolver>(engine.document);
            }
            inner = engine.documentNamespaces.get();
        }
        state->namespaces = std::make_unique<HerePrefixResolver>(*inner);

        HereFunction function(here != nullptr ? engine.toXalan(here) : nullptr);
        state->environment.installExternalFunctionLocal(XalanDOMString(kHereNamespace),
                                                        XalanDOMString(kHereName), function);

        std::u16string rewritten = prefixHereCalls(com::utf8ToUtf16(text));
        XalanDOMString expression(rewritten.c_str());
        state->xpath = engine.factory.create();
        engine.processor.initXPath(*state->xpath, engine.construction, expression,
                                   *state->namespaces);
    } catch (const xalanc::XSLException& e) {
        raiseXmlFailure("The XPath expression \"" + std::string(text) +
                        "\" cannot be compiled: " + messageOf(e));
    } catch (const xalanc::XalanDOMException&) {
        raiseXmlFailure("The XPath expression \"" + std::string(text) + "\" cannot be compiled");
    }
    return std::unique_ptr<Expression>(new Expression(std::move(state)));
}

bool XPathEngine::test(Expression& expression, const xercesc::DOMNode& context) {
    Expression::State& state = *expression.state_;
    bool result = false;
    try {
        state.xpath->execute(engine_->toXalan(&context), *state.namespaces, state.execution,
                             result);
        state.execution.reset();
    } catch (const xalanc::XSLException& e) {
        state.execution.reset();
        raiseXmlFailure("The XPath expression cannot be evaluated: " + messageOf(e));
    } catch (const xalanc::XalanDOMException&) {
        state.execution.reset();
        raiseXmlFailure("The XPath expression cannot be evaluated");
    }
    return result;
}

std::vector<const xercesc::DOMNode*> XPathEngine::select(Expression& expression,
                                                         const xercesc::DOMNode& context) {
    Expression::State& state = *expression.state_;
    std::vector<const xercesc::DOMNode*> nodes;
    std::string failure;
    try {
        xalanc::XObjectPtr result =
            state.xpath->execute(engine_->toXalan(&context), *state.namespaces, state.execution);
        if (result.null() || result->getType() != xalanc::XObject::eTypeNodeSet) {
            failure = "The XPath expression does not select nodes";
        } else {
            const xalanc::NodeRefListBase& list = result->nodeset();
            nodes.reserve(list.getLength());
            for (xalanc::NodeRefListBase::size_type i = 0; i < list.getLength(); ++i) {
                const xercesc::DOMNode* node = engine_->wrapper->mapNode(list.item(i));
                if (node != nullptr) {
                    nodes.push_back(node);
                }
            }
        }
    } catch (const xalanc::XSLException& e) {
        failure = "The XPath expression cannot be evaluated: " + messageOf(e);
    } catch (const xalanc::XalanDOMException&) {
        failure = "The XPath expression cannot be evaluated";
    }
    state.execution.reset();
    if (!failure.empty()) {
        raiseXmlFailure(failure);
    }
    return nodes;
}

} // namespace platform::xml

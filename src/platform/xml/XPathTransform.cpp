#include "platform/xml/XPathTransform.h"

#include <string>

#include "platform/xml/DomLookup.h"
#include "platform/xml/NodeSetDocument.h"
#include "platform/xml/XPathEngine.h"
#include "platform/xml/XmlDsigNames.h"
#include "platform/xml/XmlFailure.h"
#include "platform/xml/XmlText.h"

namespace platform::xml {

namespace {

// A reader of XPath tokens with the blanks between them skipped.
class Tokens {
public:
    explicit Tokens(std::string_view text) : text_(text) {}

    bool literal(std::string_view expected) {
        skipBlanks();
        return exact(expected);
    }

    // The expected text right here, with no blanks before it.
    bool exact(std::string_view expected) {
        if (text_.substr(at_).starts_with(expected)) {
            at_ += expected.size();
            return true;
        }
        return false;
    }

    // An NCName (ASCII letters, digits, '-', '_', '.'; not starting with a digit, '-' or '.').
    std::string_view name() {
        size_t start = at_;
        auto nameChar = [](char c) {
            return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                   c == '-' || c == '_' || c == '.';
        };
        while (at_ < text_.size() && nameChar(text_[at_])) {
            ++at_;
        }
        std::string_view found = text_.substr(start, at_ - start);
        if (!found.empty() &&
            ((found[0] >= '0' && found[0] <= '9') || found[0] == '-' || found[0] == '.')) {
            return {};
        }
        return found;
    }

    bool atEnd() {
        skipBlanks();
        return at_ == text_.size();
    }

    void skipBlanks() {
        while (at_ < text_.size() && (text_[at_] == ' ' || text_[at_] == '\t' ||
                                      text_[at_] == '\r' || text_[at_] == '\n')) {
            ++at_;
        }
    }

private:
    std::string_view text_;
    size_t at_ = 0;
};

} // namespace

bool XPathTransform::dropsSignatures(std::string_view expression,
                                     const xercesc::DOMElement& context) {
    Tokens tokens(expression);
    if (!tokens.literal("not") || !tokens.literal("(") || !tokens.literal("ancestor-or-self") ||
        !tokens.literal("::")) {
        return false;
    }
    tokens.skipBlanks();
    std::string_view prefix = tokens.name();
    // The QName is one token: no blanks inside it.
    if (prefix.empty() || !tokens.exact(":") || tokens.name() != "Signature" ||
        !tokens.literal(")") || !tokens.atEnd()) {
        return false;
    }
    std::string bound = toUtf8(context.lookupNamespaceURI(XmlString(prefix)));
    return bound == dsig::kNamespace;
}

void XPathTransform::apply(NodeSet& set, const xercesc::DOMElement& transform,
                           NodeSetDocument& document) {
    const xercesc::DOMElement* xpath = firstChildElement(transform, dsig::kNamespace, "XPath");
    if (xpath == nullptr) {
        raiseXmlFailure("The XPath transform has no XPath element");
    }
    std::string expression = textOf(*xpath);
    if (dropsSignatures(expression, *xpath)) {
        for (const xercesc::DOMElement* signature :
             descendantElements(document.document(), dsig::kNamespace, "Signature")) {
            set.excludeSubtree(signature);
        }
        return;
    }
    document.expandNamespaces();
    set.list(document);
    XPathEngine& engine = document.xpath();
    auto compiled = engine.compile(expression, xpath, xpath);
    set.retain([&](NodeSet::Node node) { return engine.test(*compiled, *node); });
}

} // namespace platform::xml

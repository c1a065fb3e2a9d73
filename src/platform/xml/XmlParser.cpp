#include "platform/xml/XmlParser.h"

#include <xercesc/dom/DOMImplementation.hpp>
#include <xercesc/dom/DOMImplementationRegistry.hpp>
#include <xercesc/framework/MemBufInputSource.hpp>
#include <xercesc/internal/XMLScanner.hpp>
#include <xercesc/parsers/XercesDOMParser.hpp>
#include <xercesc/sax/ErrorHandler.hpp>
#include <xercesc/sax/SAXParseException.hpp>
#include <xercesc/util/SecurityManager.hpp>
#include <xercesc/validators/DTD/DTDEntityDecl.hpp>

#include "platform/xml/XmlLibraries.h"
#include "platform/xml/XmlText.h"

namespace platform::xml {

namespace {

using xercesc::SAXParseException;

// Receives the parser's errors in either behaviour.
class ParseErrors : public xercesc::ErrorHandler {
public:
    explicit ParseErrors(XmlParser::Errors mode) : mode_(mode) {}

    void warning(const SAXParseException&) override {}
    void error(const SAXParseException& e) override { record(e); }
    void fatalError(const SAXParseException& e) override { record(e); }
    void resetErrors() override {
        count_ = 0;
        last_.clear();
    }

    size_t count() const { return count_; }
    const std::string& last() const { return last_; }

private:
    void record(const SAXParseException& e) {
        ++count_;
        last_ = toUtf8(e.getMessage());
        if (mode_ == XmlParser::Errors::Raise) {
            throw SAXParseException(e);
        }
    }

    XmlParser::Errors mode_;
    size_t count_ = 0;
    std::string last_;
};

// Ends a parse from inside a parser callback once the refusal has been reported.
struct ParseStopped {};

// The DOM parser with entity declarations and deep nesting refused: the refusal is reported
// as a fatal error at its place in the document and the parse ends there.
class SafeDomParser : public xercesc::XercesDOMParser {
public:
    explicit SafeDomParser(ParseErrors& errors) : errors_(errors) {}

    void entityDecl(const xercesc::DTDEntityDecl& declaration, bool, bool) override {
        refuse("entity declaration '" + toUtf8(declaration.getName()) +
               "' refused: documents may not declare entities");
    }

    void startElement(const xercesc::XMLElementDecl& declaration, const unsigned int uriId,
                      const XMLCh* const prefix,
                      const xercesc::RefVectorOf<xercesc::XMLAttr>& attributes,
                      const XMLSize_t attributeCount, const bool isEmpty,
                      const bool isRoot) override {
        if (++depth_ > XmlParser::kMaxDepth) {
            refuse("element nesting deeper than " + std::to_string(XmlParser::kMaxDepth) +
                   " levels refused");
        }
        XercesDOMParser::startElement(declaration, uriId, prefix, attributes, attributeCount,
                                      isEmpty, isRoot);
    }

    // Also called for empty elements (by startElement).
    void endElement(const xercesc::XMLElementDecl& declaration, const unsigned int uriId,
                    const bool isRoot, const XMLCh* const prefix) override {
        --depth_;
        XercesDOMParser::endElement(declaration, uriId, isRoot, prefix);
    }

private:
    [[noreturn]] void refuse(const std::string& message) {
        XmlString text(message);
        const xercesc::Locator* where = getScanner()->getLocator();
        if (where != nullptr) {
            errors_.fatalError(SAXParseException(text, *where));
        } else {
            errors_.fatalError(SAXParseException(text, nullptr, nullptr, 0, 0));
        }
        throw ParseStopped{};
    }

    ParseErrors& errors_;
    size_t depth_ = 0;
};

DocumentPtr emptyDocument() {
    static const XMLCh core[] = {u'C', u'o', u'r', u'e', 0};
    xercesc::DOMImplementation* implementation =
        xercesc::DOMImplementationRegistry::getDOMImplementation(core);
    return DocumentPtr(implementation->createDocument());
}

} // namespace

XmlParser::Result XmlParser::parse(std::string_view bytes, const char* inputName, Errors errors,
                                   Namespaces namespaces) {
    XmlLibraries::require();
    ParseErrors handler(errors);
    SafeDomParser parser(handler);
    parser.setDoNamespaces(namespaces == Namespaces::On);
    parser.setValidationScheme(xercesc::XercesDOMParser::Val_Never);
    parser.setDoSchema(false);
    parser.setLoadSchema(false);
    parser.setValidationSchemaFullChecking(false);
    parser.setIdentityConstraintChecking(false);
    parser.setLoadExternalDTD(false);
    parser.setDisableDefaultEntityResolution(true);
    parser.setCreateEntityReferenceNodes(false);
    parser.setCreateCommentNodes(true);
    xercesc::SecurityManager security;
    security.setEntityExpansionLimit(kEntityExpansionLimit);
    parser.setSecurityManager(&security);
    parser.setErrorHandler(&handler);

    XmlString name(inputName != nullptr ? inputName : "");
    xercesc::MemBufInputSource input(reinterpret_cast<const XMLByte*>(bytes.data()), bytes.size(),
                                     name.get(), false);
    try {
        parser.parse(input);
    } catch (const ParseStopped&) {
        // Reported through the handler already.
    }

    Result result;
    result.document.reset(parser.adoptDocument());
    if (!result.document) {
        result.document = emptyDocument();
    }
    result.errorCount = handler.count();
    result.lastError = handler.last();
    return result;
}

DocumentPtr XmlParser::parseOrRaise(std::string_view bytes, const char* inputName,
                                    Namespaces namespaces) {
    return parse(bytes, inputName, Errors::Raise, namespaces).document;
}

} // namespace platform::xml

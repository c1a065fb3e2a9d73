#include "platform/xml/DocumentScan.h"

#include <memory>

#include <xercesc/framework/MemBufInputSource.hpp>
#include <xercesc/sax/SAXParseException.hpp>
#include <xercesc/sax2/Attributes.hpp>
#include <xercesc/sax2/SAX2XMLReader.hpp>
#include <xercesc/sax2/XMLReaderFactory.hpp>
#include <xercesc/util/XMLUni.hpp>

#include "platform/xml/XmlDsigNames.h"
#include "platform/xml/XmlLibraries.h"
#include "platform/xml/XmlParser.h"
#include "platform/xml/XmlText.h"

namespace platform::xml {

namespace {

using xercesc::SAXParseException;
using xercesc::XMLUni;

// Ends a scan of a document that cannot stream.
struct NotStreamable {};

std::string lower(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return text;
}

bool isIdName(const XMLCh* name) {
    return name != nullptr && (name[0] == u'i' || name[0] == u'I') &&
           (name[1] == u'd' || name[1] == u'D') && name[2] == 0;
}

// Records the outline and passes every event on to the canonicaliser, if any.
class ScanHandler : public xercesc::DefaultHandler {
public:
    ScanHandler(std::string_view bytes, StreamCanonicalizer* next) : bytes_(bytes), next_(next) {}

    void attach(xercesc::SAX2XMLReader* reader) { reader_ = reader; }
    DocumentOutline& outline() { return outline_; }

    void startPrefixMapping(const XMLCh* const prefix, const XMLCh* const uri) override {
        if (next_ != nullptr) {
            next_->startPrefixMapping(prefix, uri);
        }
    }

    void startElement(const XMLCh* const uri, const XMLCh* const localname,
                      const XMLCh* const qname, const xercesc::Attributes& attributes) override {
        if (++depth_ > XmlParser::kMaxDepth) {
            throw NotStreamable{}; // the DOM road reports it
        }
        for (XMLSize_t i = 0; i < attributes.getLength(); ++i) {
            if (isIdName(attributes.getLocalName(i)) && isIdName(attributes.getQName(i))) {
                outline_.ids.push_back(toUtf8(attributes.getValue(i)));
            }
        }
        size_t end = offset();
        size_t begin = tagStart(end);
        if (depth_ == 1) {
            outline_.rootName = toUtf8(qname);
            outline_.rootTagBegin = begin;
            outline_.rootTagEnd = end;
        }
        if (std::u16string_view(localname) == u"EncryptedData") {
            outline_.encryptedData = true;
        }
        if (signatureDepth_ == 0 && std::u16string_view(localname) == u"Signature" &&
            toUtf8(uri) == dsig::kNamespace) {
            signatureDepth_ = depth_;
            outline_.signatures.push_back({begin, 0, depth_ == 2});
        }
        if (next_ != nullptr) {
            next_->startElement(uri, localname, qname, attributes);
        }
    }

    void endElement(const XMLCh* const uri, const XMLCh* const localname,
                    const XMLCh* const qname) override {
        size_t end = offset();
        if (depth_ == signatureDepth_) {
            outline_.signatures.back().end = end;
            signatureDepth_ = 0;
        }
        if (depth_ == 1) {
            size_t begin = tagStart(end);
            if (begin < outline_.rootTagEnd || bytes_.compare(begin, 2, "</") != 0) {
                throw NotStreamable{}; // <root/>: no end tag to insert before
            }
            outline_.rootEndTagBegin = begin;
        }
        --depth_;
        if (next_ != nullptr) {
            next_->endElement(uri, localname, qname);
        }
    }

    void characters(const XMLCh* const chars, const XMLSize_t length) override {
        if (next_ != nullptr) {
            next_->characters(chars, length);
        }
    }
    void ignorableWhitespace(const XMLCh* const chars, const XMLSize_t length) override {
        if (next_ != nullptr) {
            next_->ignorableWhitespace(chars, length);
        }
    }
    void processingInstruction(const XMLCh* const target, const XMLCh* const data) override {
        if (next_ != nullptr) {
            next_->processingInstruction(target, data);
        }
    }
    void comment(const XMLCh* const chars, const XMLSize_t length) override {
        if (next_ != nullptr) {
            next_->comment(chars, length);
        }
    }
    void startDTD(const XMLCh* const, const XMLCh* const, const XMLCh* const) override {
        throw NotStreamable{};
    }
    void startEntity(const XMLCh* const) override { throw NotStreamable{}; }

    void warning(const SAXParseException&) override {}
    void error(const SAXParseException& e) override { throw SAXParseException(e); }
    void fatalError(const SAXParseException& e) override { throw SAXParseException(e); }

private:
    size_t offset() const { return static_cast<size_t>(reader_->getSrcOffset()); }
    // The "<" that starts the tag ending just before end ("<" never occurs inside a tag).
    size_t tagStart(size_t end) const {
        size_t at = bytes_.rfind('<', end == 0 ? 0 : end - 1);
        if (end == 0 || end > bytes_.size() || bytes_[end - 1] != '>' ||
            at == std::string_view::npos) {
            throw NotStreamable{};
        }
        return at;
    }

    std::string_view bytes_;
    StreamCanonicalizer* next_;
    xercesc::SAX2XMLReader* reader_ = nullptr;
    DocumentOutline outline_;
    size_t depth_ = 0;
    size_t signatureDepth_ = 0;
};

} // namespace

std::optional<std::string> DocumentScan::declaredEncoding(std::string_view bytes) {
    if (bytes.size() >= 2 && ((bytes[0] == '\xFE' && bytes[1] == '\xFF') ||
                              (bytes[0] == '\xFF' && bytes[1] == '\xFE'))) {
        return std::nullopt;
    }
    if (bytes.size() >= 4 && bytes.substr(0, 4) == std::string_view("\0\0\xFE\xFF", 4)) {
        return std::nullopt;
    }
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") {
        bytes.remove_prefix(3);
    }
    if (bytes.substr(0, 5) != "<?xml") {
        return std::string();
    }
    std::string_view declaration = bytes.substr(0, bytes.find("?>"));
    size_t at = declaration.find("encoding");
    if (at == std::string_view::npos) {
        return std::string();
    }
    size_t quote = declaration.find_first_of("\"'", at);
    if (quote == std::string_view::npos) {
        return std::string();
    }
    size_t close = declaration.find(declaration[quote], quote + 1);
    if (close == std::string_view::npos) {
        return std::string();
    }
    return std::string(declaration.substr(quote + 1, close - quote - 1));
}

bool DocumentScan::streamableEncoding(const std::string& encoding) {
    std::string name = lower(encoding);
    return name.empty() || name == "utf-8" || name == "utf8" || name == "us-ascii" ||
           name == "ascii" || name == "iso-8859-1" || name == "latin1" || name == "iso-8859-15" ||
           name == "windows-1252" || name == "cp1252";
}

std::string DocumentScan::skeleton(std::string_view bytes, const DocumentOutline& outline) {
    std::string text;
    size_t prolog = 0;
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") {
        prolog = 3;
    }
    if (bytes.substr(prolog, 5) == "<?xml") {
        size_t end = bytes.find("?>", prolog);
        if (end != std::string_view::npos) {
            prolog = end + 2;
        }
    }
    text.append(bytes.substr(0, prolog));
    text.append(bytes.substr(outline.rootTagBegin, outline.rootTagEnd - outline.rootTagBegin));
    for (const DocumentOutline::Signature& signature : outline.signatures) {
        if (signature.childOfRoot) {
            text.append(bytes.substr(signature.begin, signature.end - signature.begin));
        }
    }
    text.append("</").append(outline.rootName).append(">");
    return text;
}

std::optional<DocumentOutline> DocumentScan::scan(std::string_view bytes,
                                                  StreamCanonicalizer* canonicalizer) {
    XmlLibraries::require();
    std::optional<std::string> encoding = declaredEncoding(bytes);
    if (!encoding || !streamableEncoding(*encoding)) {
        return std::nullopt;
    }
    // The parser's source offsets do not count a byte order mark: the text after it is
    // scanned (still read as UTF-8) and the offsets moved past it at the end.
    const size_t mark = bytes.substr(0, 3) == "\xEF\xBB\xBF" ? 3 : 0;
    if (mark != 0 && !encoding->empty() && lower(*encoding) != "utf-8" &&
        lower(*encoding) != "utf8") {
        return std::nullopt; // a UTF-8 mark on a text declared otherwise: the DOM road decides
    }
    bytes.remove_prefix(mark);
    std::unique_ptr<xercesc::SAX2XMLReader> reader(xercesc::XMLReaderFactory::createXMLReader());
    reader->setFeature(XMLUni::fgSAX2CoreNameSpaces, true);
    reader->setFeature(XMLUni::fgSAX2CoreNameSpacePrefixes, false);
    reader->setFeature(XMLUni::fgSAX2CoreValidation, false);
    reader->setFeature(XMLUni::fgXercesSchema, false);
    reader->setFeature(XMLUni::fgXercesLoadSchema, false);
    reader->setFeature(XMLUni::fgXercesLoadExternalDTD, false);
    reader->setFeature(XMLUni::fgXercesDisableDefaultEntityResolution, true);
    reader->setFeature(XMLUni::fgXercesCalculateSrcOfs, true);
    ScanHandler handler(bytes, canonicalizer);
    handler.attach(reader.get());
    reader->setContentHandler(&handler);
    reader->setLexicalHandler(&handler);
    reader->setErrorHandler(&handler);
    XmlString name(kSignerInput);
    xercesc::MemBufInputSource input(reinterpret_cast<const XMLByte*>(bytes.data()), bytes.size(),
                                     name.get(), false);
    try {
        reader->parse(input);
    } catch (const NotStreamable&) {
        return std::nullopt;
    }
    if (canonicalizer != nullptr) {
        canonicalizer->finish();
    }
    DocumentOutline outline = std::move(handler.outline());
    outline.encoding = *encoding;
    if (outline.rootName.empty() || outline.rootEndTagBegin == 0) {
        return std::nullopt;
    }
    for (size_t* offset : {&outline.rootTagBegin, &outline.rootTagEnd, &outline.rootEndTagBegin}) {
        *offset += mark;
    }
    for (DocumentOutline::Signature& signature : outline.signatures) {
        signature.begin += mark;
        signature.end += mark;
    }

    return outline;
}

} // namespace platform::xml

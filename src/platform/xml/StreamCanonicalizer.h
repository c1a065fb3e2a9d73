#pragma once

#include <cstddef>
#include <string>
#include <unordered_map>
#include <vector>

#include <xercesc/sax2/DefaultHandler.hpp>

#include "platform/xml/NodeSetCanonicalizer.h"

namespace platform::xml {

// Canonical XML 1.0 or Exclusive XML Canonicalization 1.0 (with or without comments) of a
// whole document less every ds:Signature subtree, written while the document is parsed (SAX
// events of a namespace-aware parse), without a DOM. This is the octet stream of a
// same-document reference "" whose transforms are the enveloped-signature transform (when the
// document holds one signature) or the XPath "not(ancestor-or-self::ds:Signature)", then the
// canonicalisation. Large documents are digested this way in one pass and in little memory.
//
// Only whole subtrees are left out, so every element written has all its ancestors written:
// an element's namespace nodes are then rendered as the canonical forms require (inclusive:
// those whose value differs from the parent's; exclusive: those visibly used, or listed in
// the PrefixList, that the nearest output ancestor did not render with the same value).
// A document type declaration is not handled here (its defaults and entities would change
// the content); the scan that drives this refuses it.
class StreamCanonicalizer : public xercesc::DefaultHandler {
public:
    using Method = NodeSetCanonicalizer::Method;

    StreamCanonicalizer(Method method, OctetSink sink);
    ~StreamCanonicalizer() override;

    // Writes out what is buffered; call once the parse has ended.
    void finish();

    // ContentHandler
    void startPrefixMapping(const XMLCh* const prefix, const XMLCh* const uri) override;
    void startElement(const XMLCh* const uri, const XMLCh* const localname,
                      const XMLCh* const qname, const xercesc::Attributes& attributes) override;
    void endElement(const XMLCh* const uri, const XMLCh* const localname,
                    const XMLCh* const qname) override;
    void characters(const XMLCh* const chars, const XMLSize_t length) override;
    void ignorableWhitespace(const XMLCh* const chars, const XMLSize_t length) override;
    void processingInstruction(const XMLCh* const target, const XMLCh* const data) override;
    // LexicalHandler
    void comment(const XMLCh* const chars, const XMLSize_t length) override;

private:
    // Namespace bindings (prefix to URI, UTF-8) in scope or rendered at one element.
    using Bindings = std::unordered_map<std::string, std::string>;
    struct Frame {
        Bindings inScope;  // every binding in scope at the element
        Bindings rendered; // exclusive: what the element and its output ancestors rendered
        size_t depth = 0;  // of the element that made the frame
    };
    enum class Position { BeforeRoot, InRoot, AfterRoot };

    void writeText(const XMLCh* chars, size_t length, bool attribute);
    void writeUtf8(const XMLCh* text);
    void writeUtf8(const XMLCh* text, size_t length);
    void put(char c) {
        if (used_ == buffer_.size()) {
            flush();
        }
        buffer_[used_++] = c;
    }
    void put(const std::string& text);
    void flush();
    bool skipping() const noexcept { return excludedDepth_ > 0; }

    Method method_;
    std::vector<std::string> inclusivePrefixes_;
    OctetSink sink_;
    std::vector<char> buffer_;
    size_t used_ = 0;
    std::vector<Frame> frames_;
    std::vector<std::pair<std::string, std::string>> pending_; // declared by the next element
    size_t excludedDepth_ = 0;
    Position position_ = Position::BeforeRoot;
    size_t depth_ = 0;
};

} // namespace platform::xml

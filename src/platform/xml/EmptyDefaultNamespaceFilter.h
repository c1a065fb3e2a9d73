#pragma once

#include <string>
#include <vector>

#include "platform/xml/NodeSetCanonicalizer.h"

namespace platform::xml {

// Mends one defect of XML-Security-C's exclusive canonicaliser: it writes xmlns="" on an
// element whenever a default namespace is declared above it in the document, even when no
// output ancestor has rendered that default (Exclusive XML Canonicalization renders
// xmlns="" only when the nearest output ancestor that visibly utilizes the default namespace
// has a non-empty one: `<a:r xmlns="urn:d" xmlns:a="urn:a"><c xmlns=""/></a:r>` is
// `<a:r xmlns:a="urn:a"><c></c></a:r>`).
//
// The filter reads the canonical octets as they stream by (start and end tags, comments,
// processing instructions, text) and drops such a superfluous ` xmlns=""` from start tags;
// everything else passes unchanged. Not for "#default" in the InclusiveNamespaces
// PrefixList, where the default namespace follows the inclusive rules.
class EmptyDefaultNamespaceFilter {
public:
    explicit EmptyDefaultNamespaceFilter(OctetSink sink);

    void write(const unsigned char* bytes, size_t size);
    // Passes on what is held back (an unfinished tag of malformed input).
    void finish();

private:
    enum class State { Text, Open, StartTag, EndTag, Comment, Instruction };
    void startTag();

    OctetSink sink_;
    State state_ = State::Text;
    std::string tag_;     // the start tag being read, from '<'
    bool quoted_ = false; // inside an attribute value of the start tag
    char previous_ = 0;   // the character before, in a comment or instruction
    std::string out_;     // what one write() passes on
    // For each open element: whether its unprefixed descendants see a non-empty default
    // namespace rendered (by the nearest output ancestor that visibly utilizes it).
    std::vector<bool> open_;
};

} // namespace platform::xml

#pragma once

#include <cstddef>
#include <functional>
#include <string>

#include "platform/xml/NodeSet.h"

namespace platform::xml {

class NodeSetDocument;

// Receives octets as they are produced.
using OctetSink = std::function<void(const unsigned char* bytes, size_t size)>;

// Canonical XML 1.0 and Exclusive XML Canonicalization 1.0 of a node set, through
// XML-Security-C's canonicaliser (XSECC14n20010315).
//
// A subtree set is written apex by apex from the apex as start node, its excluded subtrees
// taken out of the document for that time and put back at their places afterwards (so the
// document is briefly changed, and is the same again when this returns or raises). A listed
// set is handed to the canonicaliser as its XPath node list over the namespace-expanded
// document.
class NodeSetCanonicalizer {
public:
    struct Method {
        bool exclusive = false;
        bool comments = false;
        std::string inclusivePrefixes; // exclusive only: the InclusiveNamespaces PrefixList
    };

    static void canonicalize(NodeSetDocument& document, const NodeSet& set, const Method& method,
                             const OctetSink& sink);
};

} // namespace platform::xml

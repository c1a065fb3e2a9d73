#pragma once

#include <xercesc/dom/DOMElement.hpp>

#include "platform/xml/NodeSet.h"

namespace platform::xml {

// The enveloped-signature transform: the signature that holds the Transform element leaves
// the node set with its subtree. A Transform outside any signature raises StreamException
// kXmlFailureCode.
class EnvelopedSignatureTransform {
public:
    static void apply(NodeSet& set, const xercesc::DOMElement& transform);
};

} // namespace platform::xml

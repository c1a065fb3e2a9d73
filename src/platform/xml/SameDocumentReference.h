#pragma once

#include <string_view>

#include <xercesc/dom/DOMDocument.hpp>
#include <xercesc/dom/DOMElement.hpp>

#include "platform/xml/NodeSet.h"

namespace platform::xml {

// The node sets of same-document reference URIs (XML-DSig):
//   ""                    the whole document without comments
//   "#id"                 the element with that Id and its subtree, without comments
//   "#xpointer(/)"        the whole document with comments
//   "#xpointer(id('id'))" the element with that Id and its subtree, with comments
// An Id is the value of an attribute named id, Id, ID or iD (or declared of type ID). A
// missing Id, an Id that more than one element carries and any other URI raise
// StreamException kXmlFailureCode.
class SameDocumentReference {
public:
    static bool handles(std::string_view uri);
    static NodeSet dereference(const xercesc::DOMDocument& document, std::string_view uri);

    // The one element whose Id is `id`.
    static const xercesc::DOMElement& elementById(const xercesc::DOMDocument& document,
                                                  std::string_view id);
};

} // namespace platform::xml

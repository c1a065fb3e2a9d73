#pragma once

#include <memory>

#include <xercesc/dom/DOMDocument.hpp>

class XSECNameSpaceExpander;

namespace platform::xml {

// XML-Security-C's namespace expansion for the time it is alive: every element of the
// document gets, as xmlns attributes, the namespaces in scope for it, so that the XPath data
// model's namespace nodes exist as nodes (for XPath and for a canonicaliser given a node
// list). The added attributes are removed again when this object goes.
class NamespaceExpansion {
public:
    explicit NamespaceExpansion(xercesc::DOMDocument& document);
    ~NamespaceExpansion();
    NamespaceExpansion(const NamespaceExpansion&) = delete;
    NamespaceExpansion& operator=(const NamespaceExpansion&) = delete;

private:
    std::unique_ptr<XSECNameSpaceExpander> expander_;
};

} // namespace platform::xml

#include "platform/xml/NamespaceExpansion.h"

#include <xsec/utils/XSECNameSpaceExpander.hpp>

namespace platform::xml {

NamespaceExpansion::NamespaceExpansion(xercesc::DOMDocument& document)
    : expander_(std::make_unique<XSECNameSpaceExpander>(&document)) {
    expander_->expandNameSpaces();
}

NamespaceExpansion::~NamespaceExpansion() {
    // The expander's own destructor leaves the added attributes in place.
    try {
        expander_->deleteAddedNamespaces();
    } catch (...) {
        // Removing attributes this object added cannot be refused by the DOM.
    }
}

} // namespace platform::xml

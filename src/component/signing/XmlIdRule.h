#pragma once

#include <string>
#include <string_view>
#include <vector>

#include <xercesc/dom/DOMDocument.hpp>

namespace component::signing {

// The Id the XML signer gives a new element: prefix + name + (n + 1), where n is the largest
// number formed by the digits right after prefix + name at the start of any id, Id, iD or ID
// attribute value of the document (a value without such digits counts as 0), so the first Id
// ends in 1 and the one after "Signature10" is "Signature11". Numbers of any length are
// compared and incremented as decimal texts. A document without a document element gives
// prefix + name + "1". moreIds are values of the document's Id attributes that are not in
// the DOM (a document read by streaming keeps only its skeleton as a DOM).
std::string nextXmlId(const xercesc::DOMDocument& document, std::string_view prefix,
                      std::string_view name, const std::vector<std::string>& moreIds = {});

} // namespace component::signing

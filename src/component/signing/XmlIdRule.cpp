#include "component/signing/XmlIdRule.h"

#include <xercesc/dom/DOMAttr.hpp>
#include <xercesc/dom/DOMElement.hpp>
#include <xercesc/dom/DOMNamedNodeMap.hpp>
#include <xercesc/util/XMLString.hpp>

#include "platform/xml/DomLookup.h"
#include "platform/xml/XmlText.h"

namespace component::signing {

namespace {

bool isIdName(const XMLCh* name) {
    // id, Id, iD, ID: two characters, i then d, either case.
    return name != nullptr && (name[0] == u'i' || name[0] == u'I') &&
           (name[1] == u'd' || name[1] == u'D') && name[2] == 0;
}

// Decimal digits without leading zeros ("" for zero).
std::string_view significant(std::string_view digits) {
    size_t first = digits.find_first_not_of('0');
    return first == std::string_view::npos ? std::string_view() : digits.substr(first);
}

bool lessThan(std::string_view a, std::string_view b) {
    return a.size() != b.size() ? a.size() < b.size() : a < b;
}

std::string incremented(std::string_view digits) {
    std::string out(digits);
    for (size_t i = out.size(); i-- > 0;) {
        if (out[i] != '9') {
            ++out[i];
            return out;
        }
        out[i] = '0';
    }
    return "1" + out;
}

} // namespace

std::string nextXmlId(const xercesc::DOMDocument& document, std::string_view prefix,
                      std::string_view name, const std::vector<std::string>& moreIds) {
    const std::string start = std::string(prefix) + std::string(name);
    std::string largest; // significant digits of the largest number found
    auto consider = [&](std::string_view value) {
        if (!value.starts_with(start)) {
            return;
        }
        std::string_view rest = value.substr(start.size());
        size_t count = 0;
        while (count < rest.size() && rest[count] >= '0' && rest[count] <= '9') {
            ++count;
        }
        std::string_view number = significant(rest.substr(0, count));
        if (lessThan(largest, number)) {
            largest = number;
        }
    };
    for (const std::string& value : moreIds) {
        consider(value);
    }
    const xercesc::DOMElement* element = document.getDocumentElement();
    // Every element, in document order, without recursion.
    while (element != nullptr) {
        const xercesc::DOMNamedNodeMap* attributes = element->getAttributes();
        for (XMLSize_t i = 0; attributes != nullptr && i < attributes->getLength(); ++i) {
            const xercesc::DOMNode* attribute = attributes->item(i);
            if (!isIdName(attribute->getNodeName())) {
                continue;
            }
            consider(platform::xml::toUtf8(attribute->getNodeValue()));
        }
        element = platform::xml::nextElement(*element);
    }
    return start + incremented(largest.empty() ? "0" : largest);
}

} // namespace component::signing

#include "component/verification/XmlSigningTime.h"

#include <limits>
#include <string>
#include <vector>

#include <xercesc/dom/DOMNodeList.hpp>

#include "component/module/ModuleLog.h"
#include "platform/xml/DomLookup.h"
#include "platform/xml/XmlDsigNames.h"
#include "platform/xml/XmlText.h"

namespace component::verification {

namespace {

using module::logTrace;
using platform::certificates::ChainTime;

// The elements below `parent` whose qualified name is `name`.
xercesc::DOMNodeList* byQualifiedName(const xercesc::DOMElement& parent, const char* name) {
    return parent.getElementsByTagName(platform::xml::XmlString(name));
}

// The xades:SigningTime elements of the signature's own properties: a counter-signature, held
// in the unsigned properties, carries a time of its own that says nothing of this signature.
std::vector<const xercesc::DOMNode*> ownSigningTimes(const xercesc::DOMElement& qualifying,
                                                     const xercesc::DOMElement& signature) {
    std::vector<const xercesc::DOMNode*> own;
    xercesc::DOMNodeList* times = byQualifiedName(qualifying, "xades:SigningTime");
    for (XMLSize_t i = 0; i < times->getLength(); ++i) {
        if (platform::xml::ancestorElement(*times->item(i), platform::xml::dsig::kNamespace,
                                           "Signature") == &signature) {
            own.push_back(times->item(i));
        }
    }
    return own;
}

// Reads the fields at the positions given (first, last) for year, month, day, hour, minute,
// second, the first three from `date` and the last three from `time`; nothing when one read
// fails.
std::optional<ChainTime> readFields(std::string_view date, std::string_view time,
                                    const size_t (&positions)[6][2]) {
    int* fields[6];
    ChainTime read;
    fields[0] = &read.year;
    fields[1] = &read.month;
    fields[2] = &read.day;
    fields[3] = &read.hour;
    fields[4] = &read.minute;
    fields[5] = &read.second;
    for (size_t i = 0; i < 6; ++i) {
        std::optional<int> value =
            XmlSigningTime::numberAt(i < 3 ? date : time, positions[i][0], positions[i][1]);
        if (!value) {
            return std::nullopt;
        }
        *fields[i] = *value;
    }
    return read;
}

// xades:SigningTime as 2006-12-31T23:59:59Z, a leading "-" moving every position one place.
std::optional<ChainTime> readXadesTime(std::string_view text) {
    if (text.empty()) {
        return std::nullopt;
    }
    size_t shift = text.front() == '-' ? 1 : 0;
    const size_t positions[6][2] = {{0 + shift, 3 + shift},   {5 + shift, 6 + shift},
                                    {8 + shift, 9 + shift},   {11 + shift, 12 + shift},
                                    {14 + shift, 15 + shift}, {17 + shift, 18 + shift}};
    return readFields(text, text, positions);
}

// SignatureProperties as date 20061231 and time 23:59:59+01:00.
std::optional<ChainTime> readPropertiesTime(std::string_view date, std::string_view time) {
    const size_t positions[6][2] = {{0, 3}, {4, 5}, {6, 7}, {0, 1}, {3, 4}, {6, 7}};
    return readFields(date, time, positions);
}

} // namespace

std::optional<int> XmlSigningTime::numberAt(std::string_view text, size_t first, size_t last) {
    if (first >= text.size()) {
        return std::nullopt;
    }
    size_t end = last < text.size() ? last + 1 : text.size();
    std::string_view piece = text.substr(first, end > first ? end - first : 0);
    size_t i = 0;
    while (i < piece.size() && (piece[i] == ' ' || (piece[i] >= '\t' && piece[i] <= '\r'))) {
        ++i;
    }
    bool negative = false;
    if (i < piece.size() && (piece[i] == '+' || piece[i] == '-')) {
        negative = piece[i] == '-';
        ++i;
    }
    int value = 0;
    for (; i < piece.size() && piece[i] >= '0' && piece[i] <= '9'; ++i) {
        int digit = piece[i] - '0';
        if (value > (std::numeric_limits<int>::max() - digit) / 10) {
            return std::nullopt;
        }
        value = value * 10 + digit;
    }
    return negative ? -value : value;
}

XmlSigningTime::Outcome XmlSigningTime::read(const xercesc::DOMElement& signature,
                                             ChainTime& time) {
    bool found = false;
    for (const xercesc::DOMElement* object :
         platform::xml::childElements(signature, platform::xml::dsig::kNamespace, "Object")) {
        const xercesc::DOMNode* first = object->getFirstChild();
        if (first == nullptr) {
            continue;
        }
        std::string name = platform::xml::toUtf8(first->getNodeName());
        logTrace(name);
        if (first->getNodeType() != xercesc::DOMNode::ELEMENT_NODE) {
            continue;
        }
        const auto& child = static_cast<const xercesc::DOMElement&>(*first);
        if (name == "xades:QualifyingProperties") {
            std::vector<const xercesc::DOMNode*> times = ownSigningTimes(child, signature);
            if (times.empty()) {
                logTrace("longitud de dates menor o igual a 0");
                found = false;
                continue;
            }
            if (times.size() > 1) {
                logTrace("Habia varios timeStampNodes dentro del QualifyingProperties");
            }
            std::string text = platform::xml::textOf(*times.front());
            logTrace(text);
            std::optional<ChainTime> read = readXadesTime(text);
            if (!read) {
                logTrace(
                    "No se ha podido parsear el signingTime encontrado en QualifyingProperties");
                return Outcome::Unreadable;
            }
            time = *read;
            found = true;
        } else if (name == "SignatureProperties") {
            xercesc::DOMNodeList* dates = byQualifiedName(child, "date");
            xercesc::DOMNodeList* times = byQualifiedName(child, "time");
            if (dates->getLength() == 0 || times->getLength() == 0) {
                logTrace("longitud de dates menor o igual a 0");
                continue;
            }
            if (dates->getLength() > 1) {
                logTrace("Habia varios dateNodes dentro del SignatureProperties");
            }
            std::string date = platform::xml::textOf(*dates->item(0));
            std::string clock = platform::xml::textOf(*times->item(0));
            logTrace(date);
            logTrace(clock);
            // A block that cannot be read is skipped whole: a time found before stays as it
            // was, never partly overwritten.
            std::optional<ChainTime> read = readPropertiesTime(date, clock);
            if (!read) {
                logTrace(
                    "No se ha podido parsear el signingTime encontrado en SignatureProperties");
                continue;
            }
            time = *read;
            found = true;
        }
    }
    return found ? Outcome::Found : Outcome::NotFound;
}

} // namespace component::verification

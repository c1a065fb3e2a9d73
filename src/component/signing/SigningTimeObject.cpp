#include "component/signing/SigningTimeObject.h"

#include <cstdio>
#include <cstdlib>

#include <xsec/dsig/DSIGObject.hpp>
#include <xsec/dsig/DSIGSignature.hpp>

#include "component/signing/XmlElementBuilder.h"

namespace component::signing {

SigningTimeObject::Texts SigningTimeObject::texts(std::time_t when) {
    std::tm utc{};
    std::tm local{};
    gmtime_r(&when, &utc);
    localtime_r(&when, &local);
    long offset = local.tm_gmtoff;
    char sign = offset > 0 ? '+' : '-';
    long magnitude = std::labs(offset);
    char date[32];
    char time[32];
    std::snprintf(date, sizeof date, "%ld%02d%02d", static_cast<long>(utc.tm_year) + 1900,
                  utc.tm_mon + 1, utc.tm_mday);
    std::snprintf(time, sizeof time, "%02d:%02d:%02d%c%02d:%02d", utc.tm_hour, utc.tm_min,
                  utc.tm_sec, sign, static_cast<int>(magnitude / 3600),
                  static_cast<int>(magnitude % 3600 / 60));
    return {date, time};
}

xercesc::DOMElement* SigningTimeObject::append(DSIGSignature& signature,
                                               const std::string& signatureId,
                                               const std::string& timeStampId, std::time_t when) {
    DSIGObject* object = signature.appendObject();
    auto* holder = const_cast<xercesc::DOMElement*>(object->getElement());
    xercesc::DOMElement* properties =
        XmlElementBuilder::append(*holder, "", "", "SignatureProperties");
    xercesc::DOMElement* property =
        XmlElementBuilder::append(*properties, "", "", "SignatureProperty");
    XmlElementBuilder::setAttribute(*property, "Id", timeStampId);
    XmlElementBuilder::setAttribute(*property, "Target", "#" + signatureId);
    xercesc::DOMElement* timestamp = XmlElementBuilder::append(*property, "", "", "timestamp");
    Texts now = texts(when);
    XmlElementBuilder::appendText(*XmlElementBuilder::append(*timestamp, "", "", "date"), now.date);
    XmlElementBuilder::appendText(*XmlElementBuilder::append(*timestamp, "", "", "time"), now.time);
    return property;
}

} // namespace component::signing

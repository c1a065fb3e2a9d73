#pragma once

#include <ctime>
#include <string>

#include <xercesc/dom/DOMElement.hpp>

class DSIGSignature;

namespace component::signing {

// The signing time an XML-DSig signature without XAdES carries in a ds:Object of its own:
//
//   <SignatureProperties>
//     <SignatureProperty Id="S-TimeStamp1" Target="#S">
//       <timestamp><date>20061231</date><time>23:59:59+01:00</time></timestamp>
//     </SignatureProperty>
//   </SignatureProperties>
//
// (unprefixed, in no namespace). date is the UTC date (year, month, day); time the UTC time
// of day followed by the local offset from UTC: '+' when local time is ahead of UTC, '-'
// otherwise, then its hours and minutes.
class SigningTimeObject {
public:
    struct Texts {
        std::string date;
        std::string time;
    };
    static Texts texts(std::time_t when);

    // Appends the object to the signature; returns the SignatureProperty element.
    static xercesc::DOMElement* append(DSIGSignature& signature, const std::string& signatureId,
                                       const std::string& timeStampId, std::time_t when);
};

} // namespace component::signing

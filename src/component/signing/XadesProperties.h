#pragma once

#include <ctime>
#include <string>

#include <xercesc/dom/DOMElement.hpp>

#include "platform/crypt/Certificate.h"

class DSIGSignature;

namespace component::signing {

// The XAdES qualifying properties of a signature, in a ds:Object of their own, and the
// reference to their signed properties. Elements in the XAdES namespace of the process-wide
// version carry the prefix XMLSigNameSpaceID ("xades" when empty); the XML-DSig elements
// inside the block carry "ds". Settings read: "SigningTime", "SignaturePolicyId",
// "SignerRole", "XadesDataObjectFormat".
//
//   QualifyingProperties Target="#S"
//     SignedProperties Id="S-SignedProperties"
//       SignedSignatureProperties
//         SigningTime                  (with the signing-time flag)
//         SigningCertificate/Cert      CertDigest (SHA-1 of the DER), IssuerSerial
//         SignaturePolicyIdentifier    ("PolicyImplied": SignaturePolicyImplied; otherwise
//                                      SignaturePolicyId with the fetched policy's digest)
//         SignerRole/ClaimedRoles/ClaimedRole
//       SignedDataObjectProperties     (a copy of XadesDataObjectFormat's root element)
//     UnsignedProperties Id="S-UnsignedProperties"
//       UnsignedSignatureProperties
class XadesProperties {
public:
    struct Request {
        std::string signatureId;
        std::string prefix; // XMLSigNameSpaceID as set
        bool signingTime = false;
        std::time_t now = 0;
    };

    static void append(DSIGSignature& signature, const platform::crypt::Certificate& certificate,
                       const Request& request);

    // The UTC time as XAdES writes it: 2006-12-31T23:59:59Z.
    static std::string utcTime(std::time_t when);
};

} // namespace component::signing

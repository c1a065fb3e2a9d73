#pragma once

#include <string>
#include <vector>

#include "platform/crypt/Certificate.h"

namespace component::signing {

// The CAdES signed attributes the CMS signer encodes itself, byte by byte.
class CadesAttributes {
public:
    CadesAttributes() = delete;

    // ESS signing certificate (1.2.840.113549.1.9.16.2.12): one ESSCertID with the SHA-1 of
    // the certificate and its issuer (rebuilt) and serial number, no policies.
    static std::vector<unsigned char> signingCertificate(const platform::crypt::Certificate& cert);

    // Signature policy (1.2.840.113549.1.9.16.2.15): the policy OID, followed when signing by
    // [0] { SHA-1 algorithm identifier with NULL, empty OCTET STRING }. A text that is no OID
    // raises CryptException CRYPT_E_OID_FORMAT.
    static std::vector<unsigned char> signaturePolicy(const std::string& policyOid, bool forSign);

    // The issuer name with every attribute in a relative distinguished name of its own, in
    // encoding order, values as UTF8String (emailAddress as IA5String).
    static std::vector<unsigned char> rebuiltIssuer(const platform::crypt::Certificate& cert);
};

} // namespace component::signing

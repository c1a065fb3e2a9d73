#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <vector>

#include <xercesc/dom/DOMDocument.hpp>

#include "com/ComPtr.h"
#include "component/verification/QNVerifyStatus.h"

namespace component::verification {

// What the verifier recorded of the certificate of a valid signature (by signature index):
// its serial number as the platform gives it (hexadecimal) and the Base64 SHA-1 digest of its
// DER encoding.
struct XadesSignerRecord {
    std::string serialNumber;
    std::string certificateDigest;
};

// The checks of the XAdES QualifyingProperties of a verified document, each in document
// order: the signing certificate named there must be the certificate of the signature it
// targets, and a signature policy's digest must be that of the policy document. The first
// SignedProperties element of a document that passes is kept in the setting
// "XadesSignedContent".
//
// A failed check sets the result to 0 and goes on with the next QualifyingProperties; a
// policy document that cannot be fetched fails its check. An element a check needs that is
// missing (a QualifyingProperties without X509SerialNumber, a target that names no
// signature, a policy without Identifier or DigestValue, as with SignaturePolicyImplied)
// raises StreamException kXmlFailureCode: the verifier stops there.
class XadesChecks {
public:
    struct Input {
        xercesc::DOMDocument* document = nullptr;
        std::string xadesNamespace;
        std::map<size_t, XadesSignerRecord> records;
        // The encoding of the verified message, for the text of SignedProperties.
        std::string encoding;
        // The statuses of this verification, which the checks mark or extend.
        std::vector<com::ComPtr<QNVerifyStatus>>* statuses = nullptr;
        size_t firstStatus = 0;
        int level = 0;
    };

    static void run(const Input& input, int& result);

    static constexpr char kCertificateMismatch[] =
        "El certificado XAdES no coincide con el certificado de la firma.";
    static constexpr char kPolicyMismatch[] = "El hash de la política es incorrecto";
};

} // namespace component::verification

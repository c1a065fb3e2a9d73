#include "component/content/ModeTable.h"

#include "component/content/CQNCryptoSystem.h"
#include "component/module/SettingNames.h"

namespace component::content {

SignerChoice signerForMode(LONG mode) {
    switch (mode) {
    case MT_XMLDSIG:
        return {SignerFormat::XMLDSig, {}};
    case MT_CMS:
        return {SignerFormat::CMS, {{"CADES_ADD_ESS_SIGNING_CERTIFICATE", "FALSE"}}};
    case MT_XADES:
        return {SignerFormat::XMLDSig,
                {{module::kXades, "TRUE"}, {module::kIncludeSigningCertificate, "TRUE"}}};
    case MT_CAdES:
        return {SignerFormat::CMS, {{"CADES_ADD_ESS_SIGNING_CERTIFICATE", "TRUE"}}};
    default: // MT_PKCS7, MT_SMIME, MT_XMLENC, MT_PDF, no mode or any other value
        return {SignerFormat::PKCS7, {}};
    }
}

VerifierFormat verifierForMode(LONG mode) {
    return mode == MT_XMLDSIG || mode == MT_XMLENC ? VerifierFormat::XMLDSig
                                                   : VerifierFormat::PKCS7;
}

EnveloperChoice enveloperForMode(LONG mode) {
    switch (mode) {
    case MT_CMS:
        return {EnveloperFormat::CMS, {}};
    case MT_XMLENC:
        // XML Encryption is the PKCS#7 enveloper's other output.
        return {EnveloperFormat::PKCS7, {{module::kXMLEncryption, "TRUE"}}};
    default:
        return {EnveloperFormat::PKCS7, {}};
    }
}

} // namespace component::content

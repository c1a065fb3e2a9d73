#include "component/signing/CQNSignData_Internal_CMS.h"

#include <charconv>
#include <string>

#include "component/module/ModuleLog.h"
#include "component/module/SettingNames.h"
#include "component/module/SettingsTable.h"
#include "component/signing/CadesAttributes.h"
#include "component/signing/SignerDescription.h"

namespace component::signing {

using platform::crypt::SignedDataEncoder;
using platform::crypt::SignedDataFlavour;

namespace {

// "CMSSignerType" read as strtoul reads it (leading blanks, then the leading digits): 2 is
// the key identifier; 1, any other number and text without digits are issuer and serial
// number.
bool byKeyIdentifier(const std::string& setting) {
    size_t i = setting.find_first_not_of(" \t\n\v\f\r");
    if (i == std::string::npos) {
        return false;
    }
    if (setting[i] == '+') {
        ++i;
    }
    unsigned long value = 0;
    const char* begin = setting.data() + i;
    auto [at, error] = std::from_chars(begin, setting.data() + setting.size(), value);
    return at != begin && error == std::errc() && value == 2;
}

} // namespace

platform::crypt::SignerRequest
CQNSignData_Internal_CMS::describe(const certificates::CQNCertificate_Internal& certificate,
                                   const std::string& hashAlgorithm, bool forSign) const {
    const module::SettingsTable& settings = module::SettingsTable::instance();
    platform::crypt::SignerRequest request = describeSigner(certificate, hashAlgorithm);
    addSigningTime(request, signingTime_);
    const std::string policy = settings.get("CADES_SIGNATURE_POLICY");
    if (!policy.empty()) {
        request.signedAttributes.push_back(CadesAttributes::signaturePolicy(policy, forSign));
    } else if (settings.get("CADES_ADD_ESS_SIGNING_CERTIFICATE") == "TRUE") {
        request.signedAttributes.push_back(
            CadesAttributes::signingCertificate(certificate.getCertContext()));
    }
    request.keyIdentifier = byKeyIdentifier(settings.get("CMSSignerType"));
    return request;
}

stream::ByteBuffer
CQNSignData_Internal_CMS::sign(const unsigned char* content, size_t size,
                               const certificates::CQNCertificate_Internal& certificate,
                               bool detached) {
    const module::SettingsTable& settings = module::SettingsTable::instance();
    const bool fromHash = settings.get(module::kSignFromHash) == "TRUE";
    const std::string hashAlgorithm = settings.get(module::kHashAlgorithm);
    module::logTrace("CQNSignData_Internal_CMS::sign");
    if (fromHash) {
        checkSuppliedDigest(size, hashAlgorithm);
    }
    platform::crypt::SignerRequest request = describe(certificate, hashAlgorithm, true);

    std::vector<unsigned char> suppliedDigest;
    ContentToSign toSign = chooseContent(content, size, fromHash, suppliedDigest, request);
    if (detached) {
        module::logInfo("Detached sign");
    }
    module::logTrace("Abriendo para codificar firma... ");
    module::logTrace("OpenToEncodeReleaseOpt... ");
    module::logTrace("no nulo");
    module::logTrace("Size: " + std::to_string(sizeof(request)));
    module::logTrace("Type: ");
    module::logTrace("Cogiendo content... ");
    stream::ByteBuffer message =
        SignedDataEncoder(SignedDataFlavour::Cms)
            .sign(request, toSign.data, toSign.size, toSign.contentType, detached);
    module::logTrace("Tamaño necesario para la firma: " + std::to_string(message.size()));
    return message;
}

stream::ByteBuffer CQNSignData_Internal_CMS::cosign(
    const unsigned char* signedContent, size_t signedSize, const unsigned char* detachedContent,
    size_t detachedSize, const certificates::CQNCertificate_Internal& certificate, bool detached) {
    module::logTrace("CQNSignData_Internal_CMS::cosign");
    const std::string hashAlgorithm = module::SettingsTable::instance().get(module::kHashAlgorithm);
    platform::crypt::SignerRequest request = describe(certificate, hashAlgorithm, false);
    if (detached) {
        module::logInfo("Detached cosign");
    }
    return SignedDataEncoder(SignedDataFlavour::Cms)
        .addSigner(request, signedContent, signedSize, detachedContent, detachedSize);
}

} // namespace component::signing

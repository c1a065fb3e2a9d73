#include "component/signing/CQNSignData_Internal_PKCS7.h"

#include <string>

#include "component/module/ModuleLog.h"
#include "component/module/SettingNames.h"
#include "component/module/SettingsTable.h"
#include "component/signing/SignerDescription.h"

namespace component::signing {

using platform::crypt::SignedDataEncoder;
using platform::crypt::SignedDataFlavour;

stream::ByteBuffer
CQNSignData_Internal_PKCS7::sign(const unsigned char* content, size_t size,
                                 const certificates::CQNCertificate_Internal& certificate,
                                 bool detached) {
    const module::SettingsTable& settings = module::SettingsTable::instance();
    const bool fromHash = settings.get(module::kSignFromHash) == "TRUE";
    const std::string hashAlgorithm = settings.get(module::kHashAlgorithm);
    module::logTrace("CQNSignData_Internal_PKCS7::sign");
    if (fromHash) {
        checkSuppliedDigest(size, hashAlgorithm);
    }

    platform::crypt::SignerRequest request = describeSigner(certificate, hashAlgorithm);
    addSigningTime(request, signingTime_);

    std::vector<unsigned char> suppliedDigest;
    ContentToSign toSign = chooseContent(content, size, fromHash, suppliedDigest, request);
    if (detached) {
        module::logInfo("Detached sign");
    }
    stream::ByteBuffer message =
        SignedDataEncoder(SignedDataFlavour::Pkcs7)
            .sign(request, toSign.data, toSign.size, toSign.contentType, detached);
    module::logTrace("Tamaño necesario para la firma: " + std::to_string(message.size()));
    module::logInfo("Tamaño de la firma: " + std::to_string(message.size()));
    return message;
}

stream::ByteBuffer CQNSignData_Internal_PKCS7::cosign(
    const unsigned char* signedContent, size_t signedSize, const unsigned char* detachedContent,
    size_t detachedSize, const certificates::CQNCertificate_Internal& certificate, bool detached) {
    module::logTrace("CQNSignData_Internal_PKCS7::cosign");
    const std::string hashAlgorithm = module::SettingsTable::instance().get(module::kHashAlgorithm);
    platform::crypt::SignerRequest request = describeSigner(certificate, hashAlgorithm);
    addSigningTime(request, signingTime_);
    if (detached) {
        module::logInfo("Detached cosign");
    }
    return SignedDataEncoder(SignedDataFlavour::Pkcs7)
        .addSigner(request, signedContent, signedSize, detachedContent, detachedSize);
}

} // namespace component::signing

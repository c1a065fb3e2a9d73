#include "component/signing/SignerDescription.h"

#include "component/module/ErrorCodes.h"
#include "component/signing/CQNQuillionUtility.h"
#include "platform/crypt/CryptErrors.h"
#include "platform/crypt/DigestAlgorithms.h"
#include "stream/exceptions/StreamException.h"

namespace component::signing {

platform::crypt::SignerRequest
describeSigner(const certificates::CQNCertificate_Internal& certificate,
               const std::string& hashAlgorithm) {
    const auto& provider = certificate.getProvider();
    if (!provider) {
        throw stream::exceptions::StreamException("Falta la clave privada del certificado",
                                                  module::QN_E_NO_PRIVATE_KEY);
    }
    platform::crypt::digestAlgorithm(hashAlgorithm);
    platform::crypt::SignerRequest request;
    request.certificate = certificate.certContext();
    request.key = provider->privateKey();
    request.digestOid = hashAlgorithm;
    return request;
}

void checkSuppliedDigest(size_t size, const std::string& hashAlgorithm) {
    if (size != platform::crypt::digestAlgorithm(hashAlgorithm).size) {
        platform::crypt::raiseCrypt(__FILE__, __LINE__, platform::crypt::errors::NTE_BAD_HASH);
    }
}

void addSigningTime(platform::crypt::SignerRequest& request, bool signingTimeFlag) {
    if (signingTimeFlag && request.digestOid != "1.3.14.3.2.27") {
        request.signedAttributes.push_back(CQNQuillionUtility::signingTimeAttribute());
    }
}

ContentToSign chooseContent(const unsigned char* content, size_t size, bool fromHash,
                            std::vector<unsigned char>& suppliedDigest,
                            platform::crypt::SignerRequest& request) {
    if (fromHash) {
        // Its length was checked before the key was asked for (checkSuppliedDigest).
        suppliedDigest.assign(content, content + size);
        request.suppliedDigest = &suppliedDigest;
        return {};
    }
    CQNQuillionUtility::BareContent bare = CQNQuillionUtility::extractBareContent(content, size);
    if (bare.found()) {
        return {bare.data, bare.size, bare.contentType};
    }
    return {content, size, ""};
}

} // namespace component::signing

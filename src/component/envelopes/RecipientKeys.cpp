#include "component/envelopes/RecipientKeys.h"

#include <string>

#include "component/envelopes/EnvelopeStep.h"
#include "component/module/ModuleLog.h"
#include "component/signing/CQNQuillionUtility.h"
#include "platform/crypt/CryptErrors.h"

namespace component::envelopes {

using signing::CQNQuillionUtility;

platform::crypt::CertificatePtr findRecipientCertificate(const platform::crypt::RecipientId& id) {
    return id.byKeyIdentifier ? CQNQuillionUtility::findCertificateInMyStore(id.keyIdentifier)
                              : CQNQuillionUtility::findCertificateInMyStore(id.issuer, id.serial);
}

std::shared_ptr<platform::crypt::KeyProvider>
recipientKeyProvider(const platform::crypt::Certificate& certificate) {
    uint32_t keySpec = 0;
    return CQNQuillionUtility::createContextFromCertificate(certificate, keySpec);
}

bool endsTheWalk(uint32_t code) {
    return code == platform::crypt::errors::ERROR_INVALID_DATA ||
           code == platform::crypt::errors::ERROR_CANCELLED ||
           code == platform::crypt::errors::NTE_BAD_ALGID ||
           code == platform::crypt::errors::NTE_BAD_LEN;
}

stream::ByteBuffer openWithCertificate(platform::crypt::EnvelopedDataDecoder& decoder, size_t index,
                                       size_t keyIndex,
                                       const platform::crypt::Certificate& certificate,
                                       const char* source, int contextLine, int decryptLine) {
    module::logInfo("Decrypt certificate found");
    auto provider = recipientKeyProvider(certificate);
    if (!provider) {
        logWarning("Decrypt context fail: " + std::to_string(kNoKeyProvider));
        platform::crypt::raiseCrypt(source, contextLine, kNoKeyProvider);
    }
    module::logInfo("Decrypt context acquire");
    try {
        std::shared_ptr<platform::crypt::PrivateKey> key = provider->privateKey();
        stream::ByteBuffer content = decoder.decrypt(index, keyIndex, *key);
        module::logInfo("Message decrypted");
        return content;
    } catch (const stream::exceptions::CryptException& e) {
        module::logError("Decrypt fail: " + std::to_string(e.errorCode()));
        platform::crypt::raiseCrypt(source, decryptLine, e.errorCode());
    }
}

} // namespace component::envelopes

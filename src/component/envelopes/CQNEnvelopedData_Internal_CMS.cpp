#include "component/envelopes/CQNEnvelopedData_Internal_CMS.h"

#include <memory>
#include <string>

#include "component/envelopes/EnvelopeEncryption.h"
#include "component/envelopes/EnvelopeStep.h"
#include "component/envelopes/RecipientKeys.h"
#include "component/module/ModuleLog.h"

namespace component::envelopes {

using platform::crypt::EnvelopedDataDecoder;
using platform::crypt::EnvelopeRecipient;
using platform::crypt::RecipientKind;
using stream::exceptions::CryptException;

stream::ByteBuffer CQNEnvelopedData_Internal_CMS::encrypt(const unsigned char* content, size_t size,
                                                          IQNRecipients* recipients) {
    return envelopeContent(content, size, recipients,
                           {kSource, kLineLength, kLineOpen, kLineUpdate, true});
}

std::optional<stream::ByteBuffer>
CQNEnvelopedData_Internal_CMS::decrypt(const unsigned char* content, size_t size) {
    auto decoder = atLine(kSource, kLineDecode,
                          [&] { return std::make_unique<EnvelopedDataDecoder>(content, size); });
    const size_t count = decoder->recipientCount();
    // The walk ends once the message is open: another certificate of the user would only
    // ask for its key again.
    for (size_t i = 0; i < count; ++i) {
        EnvelopeRecipient recipient =
            atLine(kSource, kLineRecipient, [&] { return decoder->recipient(i); });
        std::optional<stream::ByteBuffer> opened;
        if (recipient.kind == RecipientKind::KeyTransport) {
            opened = openKeyTransport(*decoder, i, recipient);
        } else if (recipient.kind == RecipientKind::KeyAgreement) {
            opened = openKeyAgreement(*decoder, i, recipient);
        }
        if (opened) {
            return opened;
        }
    }
    return std::nullopt;
}

std::optional<stream::ByteBuffer>
CQNEnvelopedData_Internal_CMS::openKeyTransport(EnvelopedDataDecoder& decoder, size_t index,
                                                const EnvelopeRecipient& recipient) {
    platform::crypt::CertificatePtr certificate =
        recipient.keys.empty() ? nullptr : findRecipientCertificate(recipient.keys.front());
    if (!certificate) {
        return std::nullopt;
    }
    module::logInfo("Decrypt certificate found");
    auto provider = recipientKeyProvider(*certificate);
    if (!provider) {
        return std::nullopt;
    }
    module::logInfo("Decrypt context acquire");
    try {
        std::shared_ptr<platform::crypt::PrivateKey> key = provider->privateKey();
        stream::ByteBuffer content = decoder.decrypt(index, 0, *key);
        module::logInfo("Message decrypted");
        return content;
    } catch (const CryptException& e) {
        module::logError("Decrypt fail: " + std::to_string(e.errorCode()));
        if (endsTheWalk(e.errorCode())) {
            throw;
        }
        return std::nullopt;
    }
}

std::optional<stream::ByteBuffer>
CQNEnvelopedData_Internal_CMS::openKeyAgreement(EnvelopedDataDecoder& decoder, size_t index,
                                                const EnvelopeRecipient& recipient) {
    // Each encrypted key of the recipient names the certificate it is for.
    for (size_t k = 0; k < recipient.keys.size(); ++k) {
        if (platform::crypt::CertificatePtr certificate =
                findRecipientCertificate(recipient.keys[k])) {
            return openWithCertificate(decoder, index, k, *certificate, kSource,
                                       kLineAgreementContext, kLineAgreementDecrypt);
        }
    }
    return std::nullopt;
}

} // namespace component::envelopes

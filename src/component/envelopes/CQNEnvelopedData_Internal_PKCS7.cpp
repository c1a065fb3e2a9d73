#include "component/envelopes/CQNEnvelopedData_Internal_PKCS7.h"

#include <memory>
#include <string>

#include "component/envelopes/EnvelopeEncryption.h"
#include "component/envelopes/EnvelopeStep.h"
#include "component/envelopes/RecipientKeys.h"
#include "component/envelopes/XmlEncryption.h"
#include "component/module/ModuleLog.h"
#include "component/module/SettingNames.h"
#include "component/module/SettingsTable.h"
#include "platform/crypt/EnvelopedDataDecoder.h"

namespace component::envelopes {

using platform::crypt::EnvelopedDataDecoder;
using platform::crypt::EnvelopeRecipient;
using platform::crypt::RecipientKind;

stream::ByteBuffer CQNEnvelopedData_Internal_PKCS7::encrypt(const unsigned char* content,
                                                            size_t size,
                                                            IQNRecipients* recipients) {
    if (module::SettingsTable::instance().get(module::kXMLEncryption) == "TRUE") {
        return XmlEncryption::encrypt(content, size, recipients);
    }
    return envelopeContent(content, size, recipients,
                           {kSource, kLineLength, kLineOpen, kLineUpdate, false});
}

std::optional<stream::ByteBuffer>
CQNEnvelopedData_Internal_PKCS7::decrypt(const unsigned char* content, size_t size) {
    auto decoder = atLine(kSource, kLineDecode,
                          [&] { return std::make_unique<EnvelopedDataDecoder>(content, size); });
    const size_t count = decoder->recipientCount();
    module::logInfo("Recipient number: " + std::to_string(count));
    for (size_t i = 0; i < count; ++i) {
        EnvelopeRecipient recipient =
            atLine(kSource, kLineRecipient, [&] { return decoder->recipient(i); });
        if (recipient.kind != RecipientKind::KeyTransport || recipient.keys.empty()) {
            continue;
        }
        platform::crypt::CertificatePtr certificate =
            findRecipientCertificate(recipient.keys.front());
        if (!certificate) {
            continue;
        }
        return openWithCertificate(*decoder, i, 0, *certificate, kSource, kLineContext,
                                   kLineDecrypt);
    }
    logWarning("des-Enveloping fail");
    return std::nullopt;
}

} // namespace component::envelopes

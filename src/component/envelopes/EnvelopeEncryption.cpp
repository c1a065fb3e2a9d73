#include "component/envelopes/EnvelopeEncryption.h"

#include <memory>
#include <string>
#include <vector>

#include "component/envelopes/EnvelopeRecipients.h"
#include "component/envelopes/EnvelopeStep.h"
#include "component/module/ModuleLog.h"
#include "component/module/SettingNames.h"
#include "component/module/SettingsTable.h"
#include "component/signing/CQNQuillionUtility.h"
#include "platform/crypt/EnvelopedDataEncoder.h"

namespace component::envelopes {

using platform::crypt::EnvelopedDataEncoder;

stream::ByteBuffer envelopeContent(const unsigned char* content, size_t size,
                                   IQNRecipients* recipients, const EncryptionSteps& steps) {
    std::vector<com::ComPtr<certificates::IQNCertificate>> certificates =
        recipientCertificates(recipients);
    std::vector<const certificates::CQNCertificate_Internal*> handles;
    for (const auto& certificate : certificates) {
        handles.push_back(&internalHandle(*certificate));
    }
    // Public-key work needs no key container here; the call keeps the provider's log line.
    signing::CQNQuillionUtility::createEnhancedContext();
    const std::string algorithm =
        module::SettingsTable::instance().get(module::kSymmmetricCryptAlgorithm);
    if (steps.cmsRecipients) {
        module::logInfo("KeyTrans");
        module::logInfo("Recipient number: " + std::to_string(handles.size()));
    }
    // A content that is itself a message keeps its type inside the envelope.
    const std::string innerType = signing::CQNQuillionUtility::getMessageType(content, size, false);

    std::unique_ptr<EnvelopedDataEncoder> encoder;
    try {
        atLine(steps.source, steps.length, [&] {
            encoder = std::make_unique<EnvelopedDataEncoder>(algorithm, innerType);
            encoder->encodedLength(size);
        });
    } catch (const stream::exceptions::CryptException&) {
        module::logError("Algoritmo de cifrado no reconocido o no disponible (" +
                         std::string(module::kSymmmetricCryptAlgorithm) + "): \"" + algorithm +
                         "\"");
        throw;
    }
    atLine(steps.source, steps.open, [&] {
        for (const certificates::CQNCertificate_Internal* handle : handles) {
            encoder->addRecipient(handle->getCertContext());
        }
    });
    return atLine(steps.source, steps.update, [&] { return encoder->encode(content, size); });
}

} // namespace component::envelopes

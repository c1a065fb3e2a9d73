#include "platform/crypt/EnvelopedMessage.h"

#include "platform/crypt/CryptErrors.h"
#include "platform/crypt/EnvelopedDataDecoder.h"
#include "platform/crypt/EnvelopedDataEncoder.h"
#include "stream/exceptions/CryptException.h"

namespace platform::crypt {

namespace {

constexpr char kAes256Cbc[] = "2.16.840.1.101.3.4.1.42";
constexpr char kTripleDesCbc[] = "1.2.840.113549.3.7";

} // namespace

std::vector<unsigned char> EnvelopedMessage::encrypt(const std::vector<unsigned char>& content,
                                                     const std::vector<CertificatePtr>& recipients,
                                                     bool tripleDes) {
    if (recipients.empty()) {
        raiseCrypt(__FILE__, __LINE__, errors::CRYPT_E_NO_DECRYPT_CERT);
    }
    EnvelopedDataEncoder encoder(tripleDes ? kTripleDesCbc : kAes256Cbc, "");
    for (const CertificatePtr& certificate : recipients) {
        encoder.addRecipient(*certificate);
    }
    stream::ByteBuffer message = encoder.encode(content.data(), content.size());
    return std::vector<unsigned char>(message.data(), message.data() + message.size());
}

std::vector<unsigned char> EnvelopedMessage::decrypt(const std::vector<unsigned char>& der,
                                                     const Certificate& recipient,
                                                     const PrivateKey& key) {
    EnvelopedDataDecoder decoder(der.data(), der.size());
    for (size_t i = 0; i < decoder.recipientCount(); ++i) {
        EnvelopeRecipient candidate = decoder.recipient(i);
        for (size_t k = 0; k < candidate.keys.size(); ++k) {
            if (!candidate.keys[k].matches(recipient)) {
                continue;
            }
            try {
                stream::ByteBuffer content = decoder.decrypt(i, k, key);
                return std::vector<unsigned char>(content.data(), content.data() + content.size());
            } catch (const stream::exceptions::CryptException&) {
                // The key does not open this recipient: the certificate cannot decrypt.
            }
        }
    }
    raiseCrypt(__FILE__, __LINE__, errors::CRYPT_E_NO_DECRYPT_CERT);
}

} // namespace platform::crypt

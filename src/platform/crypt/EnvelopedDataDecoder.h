#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "platform/crypt/Certificate.h"
#include "platform/crypt/DerWriter.h"
#include "platform/crypt/OpenSslHandles.h"
#include "platform/crypt/RsaKey.h"
#include "stream/ByteBuffer.h"

namespace platform::crypt {

// Who a recipient information (or one encrypted key of a key-agreement recipient) is for:
// a certificate's issuer and serial number, or its subject key identifier.
struct RecipientId {
    bool byKeyIdentifier = false;
    Bytes issuer; // DER Name
    Bytes serial; // INTEGER value octets, as Certificate::serialBytes gives them
    Bytes keyIdentifier;

    bool matches(const Certificate& certificate) const;
};

// The kinds of recipient information, numbered as the CMS choice numbers them.
enum class RecipientKind { KeyTransport = 1, KeyAgreement = 2, Other = 0 };

struct EnvelopeRecipient {
    RecipientKind kind = RecipientKind::Other;
    // Key transport: the one recipient; key agreement: one per encrypted key; others: none.
    std::vector<RecipientId> keys;
};

// Opens a PKCS#7 / CMS EnvelopedData message (DER or BER) through OpenSSL's CMS. When the
// message is DER with its encrypted content in one piece, OpenSSL is handed the message
// without that content and reads the content where it lies in the caller's bytes (which must
// outlive the decoder): opening a large message then costs the size of the plaintext and
// nothing more.
//
// Failures: CRYPT_E_ASN1_BADTAG (not a message), CRYPT_E_INVALID_MSG_TYPE (a message of
// another type), CRYPT_E_INVALID_INDEX (no such recipient or key), NTE_BAD_DATA (the key does
// not open the content key, or the content does not decrypt with it), NTE_BAD_ALGID (a
// content cipher the loaded providers do not offer), CRYPT_E_MSG_ERROR (no encrypted content),
// NTE_BAD_LEN (an encrypted content of 2 GiB or more).
class EnvelopedDataDecoder {
public:
    EnvelopedDataDecoder(const unsigned char* data, size_t size);
    ~EnvelopedDataDecoder();
    EnvelopedDataDecoder(const EnvelopedDataDecoder&) = delete;
    EnvelopedDataDecoder& operator=(const EnvelopedDataDecoder&) = delete;

    size_t recipientCount() const;
    EnvelopeRecipient recipient(size_t index) const;
    // The dotted identifier of the inner content type.
    std::string contentType() const;

    // The content, opened with the private key of recipient `index` (for a key-agreement
    // recipient, with its encrypted key `keyIndex`).
    stream::ByteBuffer decrypt(size_t index, size_t keyIndex, const PrivateKey& key);

private:
    CMS_RecipientInfo* recipientInfo(size_t index) const;
    void openContentKey(CMS_RecipientInfo* info, size_t keyIndex, const PrivateKey& key);
    stream::ByteBuffer decryptContent();

    CmsPtr cms_;
    // The encrypted content in the caller's bytes, when OpenSSL was given the message without
    // it; null when OpenSSL holds the whole message.
    const unsigned char* encrypted_ = nullptr;
    size_t encryptedSize_ = 0;
};

} // namespace platform::crypt

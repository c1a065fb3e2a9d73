#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "platform/crypt/Certificate.h"
#include "platform/crypt/DerWriter.h"
#include "platform/crypt/OpenSslHandles.h"
#include "stream/ByteBuffer.h"

namespace platform::crypt {

// Writes a PKCS#7 / CMS EnvelopedData message (a DER ContentInfo): one key-transport recipient
// per certificate (issuer and serial number, RSA PKCS#1 v1.5), the content encrypted with a
// CBC block cipher chosen by its object identifier. The message is laid out in one buffer of
// its exact size and the content is encrypted straight into place, so a large content costs
// its own size once more and nothing besides.
//
// Each step has failures of its own, so that a caller can tell them apart:
// - the constructor: the algorithm (CRYPT_E_UNKNOWN_ALGO for an identifier that names no CBC
//   block cipher, NTE_BAD_ALGID for one the loaded OpenSSL providers do not offer, such as
//   RC2 without the legacy provider; CRYPT_E_OID_FORMAT for a malformed content type); the
//   content key and IV come from the OpenSSL random generator;
// - addRecipient: the content key encrypted for a certificate (NTE_BAD_KEY when its public
//   key is not RSA);
// - encodedLength / encode: the message (NTE_BAD_LEN when the size cannot be represented,
//   CRYPT_E_NO_DECRYPT_CERT without recipients, NTE_FAIL when the cipher fails).
class EnvelopedDataEncoder {
public:
    // contentType: the dotted identifier of the inner content, "" for data.
    EnvelopedDataEncoder(const std::string& algorithmOid, const std::string& contentType);
    ~EnvelopedDataEncoder();
    EnvelopedDataEncoder(const EnvelopedDataEncoder&) = delete;
    EnvelopedDataEncoder& operator=(const EnvelopedDataEncoder&) = delete;

    void addRecipient(const Certificate& certificate);
    size_t recipientCount() const noexcept { return recipients_.size(); }

    // The size of the message for a content of contentSize bytes.
    size_t encodedLength(size_t contentSize) const;
    // The whole message.
    stream::ByteBuffer encode(const unsigned char* content, size_t size) const;

    static constexpr char kData[] = "1.2.840.113549.1.7.1";
    static constexpr char kEnvelopedData[] = "1.2.840.113549.1.7.3";

private:
    // Every byte of the message before the encrypted content, for a ciphertext of that size.
    Bytes header(size_t cipherSize) const;
    size_t cipherSize(size_t contentSize) const;

    EvpCipherPtr cipher_;
    std::vector<unsigned char> key_;
    std::vector<unsigned char> iv_;
    Bytes contentType_; // OBJECT IDENTIFIER element
    Bytes algorithm_;   // AlgorithmIdentifier element, with the cipher's parameters
    std::vector<Bytes> recipients_;
};

} // namespace platform::crypt

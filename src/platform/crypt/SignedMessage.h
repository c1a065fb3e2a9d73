#pragma once

#include <optional>
#include <vector>

#include "platform/crypt/Certificate.h"
#include "platform/crypt/Digest.h"
#include "platform/crypt/OpenSslHandles.h"
#include "platform/crypt/RsaKey.h"

namespace platform::crypt {

// A PKCS#7 / CMS signed-data message (RFC 2315 / RFC 3852): encode, decode, add signers and
// certificates to a decoded message, check each signer.
class SignedMessage {
public:
    // Signs content with signed attributes (content type, signing time, message digest),
    // the signer's certificate and `extra` certificates included; detached leaves the
    // content out.
    static SignedMessage sign(const std::vector<unsigned char>& content, const Certificate& signer,
                              const PrivateKey& key, HashAlgorithm hash, bool detached,
                              const std::vector<CertificatePtr>& extra = {});
    // CRYPT_E_ASN1_BADTAG when der is not a PKCS#7 message, CRYPT_E_INVALID_MSG_TYPE when it
    // is not signed data.
    static SignedMessage decode(const std::vector<unsigned char>& der);

    // Adds a signer (co-signature) over the message's content, or over detachedContent for a
    // detached message.
    void addSigner(const Certificate& signer, const PrivateKey& key, HashAlgorithm hash,
                   const std::vector<unsigned char>* detachedContent = nullptr);
    void addCertificate(const Certificate& certificate);
    std::vector<unsigned char> encode() const;

    bool detached() const;
    // The encapsulated content (nullopt for a detached message).
    std::optional<std::vector<unsigned char>> content() const;
    std::vector<CertificatePtr> certificates() const;
    size_t signerCount() const;
    // The certificate of signer index among the message's (and extra) certificates;
    // CRYPT_E_INVALID_INDEX for a bad index, CRYPT_E_SIGNER_NOT_FOUND when absent.
    CertificatePtr signerCertificate(size_t index,
                                     const std::vector<CertificatePtr>& extra = {}) const;
    // Checks signer index's signature and message digest; NTE_BAD_SIGNATURE when it does not
    // verify, CRYPT_E_HASH_VALUE when the content does not match.
    void verifySigner(size_t index, const std::vector<unsigned char>* detachedContent = nullptr,
                      const std::vector<CertificatePtr>& extra = {}) const;

private:
    explicit SignedMessage(CmsPtr cms) : cms_(std::move(cms)) {}
    CMS_SignerInfo* signerInfo(size_t index) const;

    CmsPtr cms_;
};

// A PKCS#7 / CMS enveloped-data message.
class EnvelopedMessage {
public:
    // Encrypts content for every recipient (key transport, RSA PKCS#1 v1.5) with AES-256-CBC
    // (or 3DES when tripleDes).
    static std::vector<unsigned char> encrypt(const std::vector<unsigned char>& content,
                                              const std::vector<CertificatePtr>& recipients,
                                              bool tripleDes = false);
    // Decrypts with the recipient's certificate and key: CRYPT_E_ASN1_BADTAG when der is not
    // a message, CRYPT_E_INVALID_MSG_TYPE when not enveloped data, CRYPT_E_NO_DECRYPT_CERT
    // when the certificate is no recipient or the key does not decrypt.
    static std::vector<unsigned char> decrypt(const std::vector<unsigned char>& der,
                                              const Certificate& recipient, const PrivateKey& key);
};

} // namespace platform::crypt

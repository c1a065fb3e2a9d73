#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/crypt/Digest.h"
#include "platform/crypt/OpenSslHandles.h"

namespace platform::crypt {

// Windows returns raw signatures and encrypted blocks least significant byte first; OpenSSL
// works most significant byte first. These orders name which one a call takes or gives.
enum class ByteOrder { BigEndian, LittleEndian };

std::vector<unsigned char> reversed(std::vector<unsigned char> bytes);

// A public key (RSA for signatures and block encryption).
class PublicKey {
public:
    explicit PublicKey(EvpPkeyPtr key);
    // From a DER SubjectPublicKeyInfo (CryptImportPublicKeyInfo); CRYPT_E_ASN1_BADTAG when not.
    static PublicKey fromSubjectPublicKeyInfo(const std::vector<unsigned char>& der);
    // From a Windows PUBLICKEYBLOB (or the public part of a PRIVATEKEYBLOB); NTE_BAD_DATA /
    // NTE_BAD_TYPE when malformed.
    static PublicKey fromBlob(const std::vector<unsigned char>& blob);

    // Checks a PKCS#1 v1.5 signature over a digest; false when it does not verify.
    bool verifyHash(HashAlgorithm algorithm, const std::vector<unsigned char>& hash,
                    const std::vector<unsigned char>& signature, ByteOrder order) const;
    // PKCS#1 v1.5 encryption of one block (at most size() - 11 bytes, else NTE_BAD_LEN).
    std::vector<unsigned char> encrypt(const std::vector<unsigned char>& data,
                                       ByteOrder order) const;
    // Modulus size in bytes.
    size_t size() const;
    int bits() const;
    std::vector<unsigned char> subjectPublicKeyInfo() const;
    EVP_PKEY* get() const noexcept { return key_.get(); }

private:
    std::shared_ptr<EVP_PKEY> key_;
};

// A private key.
class PrivateKey {
public:
    explicit PrivateKey(EvpPkeyPtr key);
    // PKCS#8 (or traditional) PEM, plain or encrypted with password; ERROR_INVALID_DATA (13)
    // when it cannot be read with that password.
    static PrivateKey fromPem(const std::string& pem, const std::string& password);
    // From a Windows PRIVATEKEYBLOB.
    static PrivateKey fromBlob(const std::vector<unsigned char>& blob);

    // PKCS#1 v1.5 signature over a digest (a digest set by value).
    std::vector<unsigned char> signHash(HashAlgorithm algorithm,
                                        const std::vector<unsigned char>& hash,
                                        ByteOrder order) const;
    // PKCS#1 v1.5 decryption of one block; NTE_BAD_DATA when it does not decrypt.
    std::vector<unsigned char> decrypt(const std::vector<unsigned char>& block,
                                       ByteOrder order) const;
    PublicKey publicKey() const;
    // Unencrypted PKCS#8 PEM, or encrypted (AES-256-CBC) when password is not empty.
    std::string toPem(const std::string& password) const;
    EVP_PKEY* get() const noexcept { return key_.get(); }

private:
    std::shared_ptr<EVP_PKEY> key_;
};

} // namespace platform::crypt

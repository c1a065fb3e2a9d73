#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "platform/crypt/Certificate.h"
#include "platform/crypt/DerWriter.h"
#include "platform/crypt/RsaKey.h"
#include "stream/ByteBuffer.h"

namespace platform::crypt {

// Which rules a SignedData follows: PKCS#7 (RFC 2315: content of type data as an OCTET
// STRING, content of another type as its own encoding, every version 1) or CMS (RFC 5652:
// eContent always an OCTET STRING, versions 1 or 3, signer by key identifier possible).
enum class SignedDataFlavour { Pkcs7, Cms };

// One signer to add: its certificate and key, the digest algorithm, how it is identified and
// the signed attributes. Without attributes the signature covers the content digest itself;
// with them, contentType and messageDigest come first and then these, in the order given.
struct SignerRequest {
    CertificatePtr certificate;
    std::shared_ptr<PrivateKey> key;
    std::string digestOid;
    bool keyIdentifier = false;          // CMS only: sid [0] subjectKeyIdentifier
    std::vector<Bytes> signedAttributes; // DER Attribute encodings
    // The digest of the data, supplied instead of the content (null: digest the content). It
    // must be as long as the algorithm's digest, else NTE_BAD_HASH.
    const Bytes* suppliedDigest = nullptr;
};

// A DER-level SignedData encoder over OpenSSL EVP: RSA PKCS#1 v1.5 signatures (signature
// algorithm rsaEncryption), digest algorithms written without parameters, the signer's
// certificate as the certificate set. Content is hashed straight from the caller's buffer;
// only attached output holds a copy of it, written once into the result buffer. Failures raise
// CryptException.
class SignedDataEncoder {
public:
    explicit SignedDataEncoder(SignedDataFlavour flavour) : flavour_(flavour) {}

    // A ContentInfo of type signedData over content. contentType is the dotted type of the
    // content ("" or data: the bytes themselves; another type: the encoding of the content).
    stream::ByteBuffer sign(const SignerRequest& signer, const unsigned char* content, size_t size,
                            const std::string& contentType, bool detached) const;

    // The message with one more signer (and its certificate unless already there); the
    // existing signers, certificates and CRLs keep their bytes. The content is the message's
    // own, or detachedContent when the message carries none.
    stream::ByteBuffer addSigner(const SignerRequest& signer, const unsigned char* message,
                                 size_t size, const unsigned char* detachedContent,
                                 size_t detachedSize) const;

private:
    SignedDataFlavour flavour_;
};

} // namespace platform::crypt

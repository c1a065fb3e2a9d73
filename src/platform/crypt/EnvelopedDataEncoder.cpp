#include "platform/crypt/EnvelopedDataEncoder.h"

#include <algorithm>
#include <climits>
#include <cstdint>

#include <openssl/crypto.h>
#include <openssl/objects.h>
#include <openssl/rand.h>

#include "platform/crypt/CryptErrors.h"
#include "platform/crypt/RsaKey.h"

namespace platform::crypt {

namespace {

constexpr char kRsaEncryption[] = "1.2.840.113549.1.1.1";
// The content is encrypted in pieces of this size (the cipher calls take an int length).
constexpr size_t kPiece = size_t{64} << 20;

EvpCipherPtr cipherFor(const std::string& algorithmOid) {
    Asn1ObjectPtr object(algorithmOid.empty() ? nullptr : OBJ_txt2obj(algorithmOid.c_str(), 1));
    int nid = object ? OBJ_obj2nid(object.get()) : NID_undef;
    const EVP_CIPHER* known = nid == NID_undef ? nullptr : EVP_get_cipherbynid(nid);
    if (known == nullptr || EVP_CIPHER_get_mode(known) != EVP_CIPH_CBC_MODE ||
        EVP_CIPHER_get_block_size(known) < 2) {
        ERR_clear_error();
        raiseCrypt(__FILE__, __LINE__, errors::CRYPT_E_UNKNOWN_ALGO);
    }
    EvpCipherPtr fetched(EVP_CIPHER_fetch(nullptr, OBJ_nid2sn(nid), nullptr));
    if (!fetched) {
        ERR_clear_error();
        raiseCrypt(__FILE__, __LINE__, errors::NTE_BAD_ALGID);
    }
    return fetched;
}

EvpCipherCtxPtr newContext() {
    EvpCipherCtxPtr ctx(EVP_CIPHER_CTX_new());
    if (!ctx) {
        raiseCrypt(__FILE__, __LINE__, errors::NTE_NO_MEMORY);
    }
    return ctx;
}

// tag and the length octets of a value of n bytes.
Bytes headerOf(uint8_t tag, size_t n) {
    Bytes out{tag};
    der::appendLength(out, n);
    return out;
}

void append(Bytes& out, const Bytes& part) {
    out.insert(out.end(), part.begin(), part.end());
}

} // namespace

EnvelopedDataEncoder::EnvelopedDataEncoder(const std::string& algorithmOid,
                                           const std::string& contentType)
    : cipher_(cipherFor(algorithmOid)) {
    contentType_ = der::oid(contentType.empty() ? kData : contentType);
    EvpCipherCtxPtr ctx = newContext();
    if (EVP_EncryptInit_ex2(ctx.get(), cipher_.get(), nullptr, nullptr, nullptr) != 1) {
        ERR_clear_error();
        raiseCrypt(__FILE__, __LINE__, errors::NTE_BAD_ALGID);
    }
    key_.resize(static_cast<size_t>(EVP_CIPHER_CTX_get_key_length(ctx.get())));
    iv_.resize(static_cast<size_t>(EVP_CIPHER_CTX_get_iv_length(ctx.get())));
    if (key_.empty() || EVP_CIPHER_CTX_rand_key(ctx.get(), key_.data()) != 1 ||
        (!iv_.empty() && RAND_bytes(iv_.data(), static_cast<int>(iv_.size())) != 1) ||
        EVP_EncryptInit_ex2(ctx.get(), nullptr, key_.data(), iv_.data(), nullptr) != 1) {
        ERR_clear_error();
        raiseCrypt(__FILE__, __LINE__, errors::NTE_FAIL);
    }
    // The algorithm's parameters (the IV, and for RC2 its version) as OpenSSL writes them.
    Asn1TypePtr parameters(ASN1_TYPE_new());
    if (!parameters || EVP_CIPHER_param_to_asn1(ctx.get(), parameters.get()) <= 0) {
        ERR_clear_error();
        raiseCrypt(__FILE__, __LINE__, errors::NTE_BAD_ALGID);
    }
    Bytes oid = der::oid(algorithmOid);
    Bytes encodedParameters = derOf(parameters.get(), i2d_ASN1_TYPE);
    algorithm_ = der::sequence({&oid, &encodedParameters});
}

EnvelopedDataEncoder::~EnvelopedDataEncoder() {
    OPENSSL_cleanse(key_.data(), key_.size());
}

void EnvelopedDataEncoder::addRecipient(const Certificate& certificate) {
    std::vector<unsigned char> encryptedKey =
        certificate.publicKey().encrypt(key_, ByteOrder::BigEndian);
    Bytes version = der::integer(0);
    Bytes issuer = certificate.issuerDer();
    Bytes serial = derOf(X509_get0_serialNumber(certificate.x509()), i2d_ASN1_INTEGER);
    Bytes issuerAndSerial = der::sequence({&issuer, &serial});
    Bytes rsa = der::oid(kRsaEncryption);
    Bytes null = der::null();
    Bytes keyAlgorithm = der::sequence({&rsa, &null});
    Bytes key = der::octetString(encryptedKey.data(), encryptedKey.size());
    recipients_.push_back(der::sequence({&version, &issuerAndSerial, &keyAlgorithm, &key}));
}

size_t EnvelopedDataEncoder::cipherSize(size_t contentSize) const {
    size_t block = static_cast<size_t>(EVP_CIPHER_get_block_size(cipher_.get()));
    // CBC with PKCS#7 padding: always at least one byte of padding, up to a whole block.
    if (contentSize > SIZE_MAX / 2 - block) {
        raiseCrypt(__FILE__, __LINE__, errors::NTE_BAD_LEN);
    }
    return (contentSize / block + 1) * block;
}

Bytes EnvelopedDataEncoder::header(size_t cipherSize) const {
    // The recipients' SET OF in DER order.
    std::vector<Bytes> sorted = recipients_;
    std::sort(sorted.begin(), sorted.end());
    Bytes recipientSet;
    size_t recipientsSize = 0;
    for (const Bytes& r : sorted) {
        recipientsSize += r.size();
    }
    recipientSet = headerOf(0x31, recipientsSize);
    for (const Bytes& r : sorted) {
        append(recipientSet, r);
    }
    Bytes version = der::integer(0);
    Bytes encryptedHeader = headerOf(0x80, cipherSize);
    size_t contentInfoSize =
        contentType_.size() + algorithm_.size() + encryptedHeader.size() + cipherSize;
    Bytes contentInfoHeader = headerOf(0x30, contentInfoSize);
    size_t envelopedSize =
        version.size() + recipientSet.size() + contentInfoHeader.size() + contentInfoSize;
    Bytes envelopedHeader = headerOf(0x30, envelopedSize);
    size_t explicitSize = envelopedHeader.size() + envelopedSize;
    Bytes explicitHeader = headerOf(0xA0, explicitSize);
    Bytes type = der::oid(kEnvelopedData);
    Bytes outerHeader = headerOf(0x30, type.size() + explicitHeader.size() + explicitSize);

    Bytes out;
    for (const Bytes* part : std::initializer_list<const Bytes*>{
             &outerHeader, &type, &explicitHeader, &envelopedHeader, &version, &recipientSet,
             &contentInfoHeader, &contentType_, &algorithm_, &encryptedHeader}) {
        append(out, *part);
    }
    return out;
}

size_t EnvelopedDataEncoder::encodedLength(size_t contentSize) const {
    size_t cipher = cipherSize(contentSize);
    return header(cipher).size() + cipher;
}

stream::ByteBuffer EnvelopedDataEncoder::encode(const unsigned char* content, size_t size) const {
    if (recipients_.empty()) {
        raiseCrypt(__FILE__, __LINE__, errors::CRYPT_E_NO_DECRYPT_CERT);
    }
    const size_t cipher = cipherSize(size);
    const Bytes head = header(cipher);
    const size_t total = head.size() + cipher;

    stream::ByteBuffer out;
    out.reserveExact(total);
    out.prefault(total);
    out.append(head.data(), head.size());
    out.setSize(total);

    EvpCipherCtxPtr ctx = newContext();
    if (EVP_EncryptInit_ex2(ctx.get(), cipher_.get(), key_.data(), iv_.data(), nullptr) != 1) {
        ERR_clear_error();
        raiseCrypt(__FILE__, __LINE__, errors::NTE_FAIL);
    }
    unsigned char* at = out.data() + head.size();
    size_t written = 0;
    for (size_t done = 0; done < size;) {
        size_t piece = std::min(kPiece, size - done);
        int n = 0;
        if (EVP_EncryptUpdate(ctx.get(), at + written, &n, content + done,
                              static_cast<int>(piece)) != 1) {
            ERR_clear_error();
            raiseCrypt(__FILE__, __LINE__, errors::NTE_FAIL);
        }
        written += static_cast<size_t>(n);
        done += piece;
    }
    int last = 0;
    if (EVP_EncryptFinal_ex(ctx.get(), at + written, &last) != 1) {
        ERR_clear_error();
        raiseCrypt(__FILE__, __LINE__, errors::NTE_FAIL);
    }
    written += static_cast<size_t>(last);
    if (written != cipher) {
        raiseCrypt(__FILE__, __LINE__, errors::NTE_FAIL);
    }
    return out;
}

} // namespace platform::crypt

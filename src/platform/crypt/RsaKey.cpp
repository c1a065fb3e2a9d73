#include "platform/crypt/RsaKey.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include <openssl/core_names.h>
#include <openssl/param_build.h>
#include <openssl/pem.h>
#include <openssl/rsa.h>

#include "platform/crypt/CryptErrors.h"
#include "platform/crypt/EvpDigest.h"

namespace platform::crypt {

namespace {

using ParamBldPtr =
    std::unique_ptr<OSSL_PARAM_BLD, OpenSslFree<OSSL_PARAM_BLD, OSSL_PARAM_BLD_free>>;
using ParamPtr = std::unique_ptr<OSSL_PARAM, OpenSslFree<OSSL_PARAM, OSSL_PARAM_free>>;

uint32_t readLe32(const std::vector<unsigned char>& b, size_t at) {
    return static_cast<uint32_t>(b[at]) | (static_cast<uint32_t>(b[at + 1]) << 8) |
           (static_cast<uint32_t>(b[at + 2]) << 16) | (static_cast<uint32_t>(b[at + 3]) << 24);
}

// A little-endian integer of the blob as a BIGNUM.
BignumPtr leNumber(const std::vector<unsigned char>& blob, size_t& at, size_t len) {
    if (len > blob.size() || at > blob.size() - len) {
        raiseCrypt(__FILE__, __LINE__, errors::NTE_BAD_DATA);
    }
    BignumPtr bn(BN_lebin2bn(blob.data() + at, static_cast<int>(len), nullptr));
    if (!bn) {
        raiseCrypt(__FILE__, __LINE__, errors::NTE_NO_MEMORY);
    }
    at += len;
    return bn;
}

constexpr size_t kHeaderSize = 8 + 12;
constexpr uint32_t kMagicPublic = 0x31415352;  // "RSA1"
constexpr uint32_t kMagicPrivate = 0x32415352; // "RSA2"

EvpPkeyPtr keyFromBlob(const std::vector<unsigned char>& blob, bool wantPrivate) {
    if (blob.size() < kHeaderSize) {
        raiseCrypt(__FILE__, __LINE__, errors::NTE_BAD_DATA);
    }
    unsigned char type = blob[0];
    if (type != 0x06 && type != 0x07) {
        raiseCrypt(__FILE__, __LINE__, errors::NTE_BAD_TYPE);
    }
    if (wantPrivate && type != 0x07) {
        raiseCrypt(__FILE__, __LINE__, errors::NTE_BAD_TYPE);
    }
    uint32_t magic = readLe32(blob, 8);
    uint32_t bitLen = readLe32(blob, 12);
    uint32_t exponent = readLe32(blob, 16);
    if ((type == 0x06 && magic != kMagicPublic) || (type == 0x07 && magic != kMagicPrivate) ||
        bitLen == 0 || bitLen % 16 != 0 || bitLen > 16384) {
        raiseCrypt(__FILE__, __LINE__, errors::NTE_BAD_DATA);
    }
    size_t full = bitLen / 8;
    size_t half = bitLen / 16;
    size_t at = kHeaderSize;
    BignumPtr n = leNumber(blob, at, full);
    BignumPtr e(BN_new());
    if (!e || BN_set_word(e.get(), exponent) != 1) {
        raiseCrypt(__FILE__, __LINE__, errors::NTE_NO_MEMORY);
    }
    ParamBldPtr bld(OSSL_PARAM_BLD_new());
    if (!bld) {
        raiseCrypt(__FILE__, __LINE__, errors::NTE_NO_MEMORY);
    }
    OSSL_PARAM_BLD_push_BN(bld.get(), OSSL_PKEY_PARAM_RSA_N, n.get());
    OSSL_PARAM_BLD_push_BN(bld.get(), OSSL_PKEY_PARAM_RSA_E, e.get());
    BignumPtr p, q, dp, dq, qinv, d;
    bool isPrivate = type == 0x07 && wantPrivate;
    if (isPrivate) {
        p = leNumber(blob, at, half);
        q = leNumber(blob, at, half);
        dp = leNumber(blob, at, half);
        dq = leNumber(blob, at, half);
        qinv = leNumber(blob, at, half);
        d = leNumber(blob, at, full);
        OSSL_PARAM_BLD_push_BN(bld.get(), OSSL_PKEY_PARAM_RSA_D, d.get());
        OSSL_PARAM_BLD_push_BN(bld.get(), OSSL_PKEY_PARAM_RSA_FACTOR1, p.get());
        OSSL_PARAM_BLD_push_BN(bld.get(), OSSL_PKEY_PARAM_RSA_FACTOR2, q.get());
        OSSL_PARAM_BLD_push_BN(bld.get(), OSSL_PKEY_PARAM_RSA_EXPONENT1, dp.get());
        OSSL_PARAM_BLD_push_BN(bld.get(), OSSL_PKEY_PARAM_RSA_EXPONENT2, dq.get());
        OSSL_PARAM_BLD_push_BN(bld.get(), OSSL_PKEY_PARAM_RSA_COEFFICIENT1, qinv.get());
    }
    ParamPtr params(OSSL_PARAM_BLD_to_param(bld.get()));
    EvpPkeyCtxPtr ctx(EVP_PKEY_CTX_new_from_name(nullptr, "RSA", nullptr));
    EVP_PKEY* raw = nullptr;
    if (!params || !ctx || EVP_PKEY_fromdata_init(ctx.get()) != 1 ||
        EVP_PKEY_fromdata(ctx.get(), &raw, isPrivate ? EVP_PKEY_KEYPAIR : EVP_PKEY_PUBLIC_KEY,
                          params.get()) != 1) {
        raiseCrypt(__FILE__, __LINE__, errors::NTE_BAD_DATA);
    }
    return EvpPkeyPtr(raw);
}

void requireRsa(EVP_PKEY* key) {
    if (key == nullptr || EVP_PKEY_get_base_id(key) != EVP_PKEY_RSA) {
        raiseCrypt(__FILE__, __LINE__, errors::NTE_BAD_KEY);
    }
}

std::shared_ptr<EVP_PKEY> share(EvpPkeyPtr key) {
    return std::shared_ptr<EVP_PKEY>(key.release(), EVP_PKEY_free);
}

} // namespace

std::vector<unsigned char> reversed(std::vector<unsigned char> bytes) {
    std::reverse(bytes.begin(), bytes.end());
    return bytes;
}

PublicKey::PublicKey(EvpPkeyPtr key) : key_(share(std::move(key))) {
    if (!key_) {
        raiseCrypt(__FILE__, __LINE__, errors::NTE_BAD_KEY);
    }
}

PublicKey PublicKey::fromSubjectPublicKeyInfo(const std::vector<unsigned char>& der) {
    const unsigned char* p = der.data();
    EvpPkeyPtr key(d2i_PUBKEY(nullptr, &p, static_cast<long>(der.size())));
    if (!key) {
        raiseCrypt(__FILE__, __LINE__, errors::CRYPT_E_ASN1_BADTAG);
    }
    return PublicKey(std::move(key));
}

PublicKey PublicKey::fromBlob(const std::vector<unsigned char>& blob) {
    return PublicKey(keyFromBlob(blob, false));
}

bool PublicKey::verifyHash(HashAlgorithm algorithm, const std::vector<unsigned char>& hash,
                           const std::vector<unsigned char>& signature, ByteOrder order) const {
    requireRsa(key_.get());
    if (hash.size() != Digest::size(algorithm)) {
        raiseCrypt(__FILE__, __LINE__, errors::NTE_BAD_HASH);
    }
    std::vector<unsigned char> sig =
        order == ByteOrder::LittleEndian ? reversed(signature) : signature;
    EvpPkeyCtxPtr ctx(EVP_PKEY_CTX_new_from_pkey(nullptr, key_.get(), nullptr));
    if (!ctx || EVP_PKEY_verify_init(ctx.get()) != 1 ||
        EVP_PKEY_CTX_set_rsa_padding(ctx.get(), RSA_PKCS1_PADDING) != 1 ||
        EVP_PKEY_CTX_set_signature_md(ctx.get(), evpDigest(algorithm)) != 1) {
        raiseCrypt(__FILE__, __LINE__, errors::NTE_FAIL);
    }
    return EVP_PKEY_verify(ctx.get(), sig.data(), sig.size(), hash.data(), hash.size()) == 1;
}

std::vector<unsigned char> PublicKey::encrypt(const std::vector<unsigned char>& data,
                                              ByteOrder order) const {
    requireRsa(key_.get());
    if (data.size() + 11 > size()) {
        raiseCrypt(__FILE__, __LINE__, errors::NTE_BAD_LEN);
    }
    EvpPkeyCtxPtr ctx(EVP_PKEY_CTX_new_from_pkey(nullptr, key_.get(), nullptr));
    size_t outLen = 0;
    if (!ctx || EVP_PKEY_encrypt_init(ctx.get()) != 1 ||
        EVP_PKEY_CTX_set_rsa_padding(ctx.get(), RSA_PKCS1_PADDING) != 1 ||
        EVP_PKEY_encrypt(ctx.get(), nullptr, &outLen, data.data(), data.size()) != 1) {
        raiseCrypt(__FILE__, __LINE__, errors::NTE_FAIL);
    }
    std::vector<unsigned char> out(outLen);
    if (EVP_PKEY_encrypt(ctx.get(), out.data(), &outLen, data.data(), data.size()) != 1) {
        raiseCrypt(__FILE__, __LINE__, errors::NTE_FAIL);
    }
    out.resize(outLen);
    return order == ByteOrder::LittleEndian ? reversed(std::move(out)) : out;
}

size_t PublicKey::size() const {
    return static_cast<size_t>(EVP_PKEY_get_size(key_.get()));
}

int PublicKey::bits() const {
    return EVP_PKEY_get_bits(key_.get());
}

std::vector<unsigned char> PublicKey::subjectPublicKeyInfo() const {
    return derOf(key_.get(), i2d_PUBKEY);
}

PrivateKey::PrivateKey(EvpPkeyPtr key) : key_(share(std::move(key))) {
    if (!key_) {
        raiseCrypt(__FILE__, __LINE__, errors::NTE_BAD_KEY);
    }
}

PrivateKey PrivateKey::fromPem(const std::string& pem, const std::string& password) {
    BioPtr bio = memoryReader(pem.data(), pem.size());
    std::string pass = password;
    EvpPkeyPtr key(PEM_read_bio_PrivateKey(
        bio.get(), nullptr,
        [](char* buf, int size, int, void* u) -> int {
            const std::string* p = static_cast<const std::string*>(u);
            if (size <= 0) {
                return 0;
            }
            size_t n = std::min(p->size(), static_cast<size_t>(size));
            std::memcpy(buf, p->data(), n);
            return static_cast<int>(n);
        },
        &pass));
    ERR_clear_error();
    if (!key) {
        raiseCrypt(__FILE__, __LINE__, errors::ERROR_INVALID_DATA);
    }
    return PrivateKey(std::move(key));
}

PrivateKey PrivateKey::fromBlob(const std::vector<unsigned char>& blob) {
    return PrivateKey(keyFromBlob(blob, true));
}

std::vector<unsigned char> PrivateKey::signHash(HashAlgorithm algorithm,
                                                const std::vector<unsigned char>& hash,
                                                ByteOrder order) const {
    requireRsa(key_.get());
    if (hash.size() != Digest::size(algorithm)) {
        raiseCrypt(__FILE__, __LINE__, errors::NTE_BAD_HASH);
    }
    EvpPkeyCtxPtr ctx(EVP_PKEY_CTX_new_from_pkey(nullptr, key_.get(), nullptr));
    size_t len = 0;
    if (!ctx || EVP_PKEY_sign_init(ctx.get()) != 1 ||
        EVP_PKEY_CTX_set_rsa_padding(ctx.get(), RSA_PKCS1_PADDING) != 1 ||
        EVP_PKEY_CTX_set_signature_md(ctx.get(), evpDigest(algorithm)) != 1 ||
        EVP_PKEY_sign(ctx.get(), nullptr, &len, hash.data(), hash.size()) != 1) {
        raiseCrypt(__FILE__, __LINE__, errors::NTE_FAIL);
    }
    std::vector<unsigned char> sig(len);
    if (EVP_PKEY_sign(ctx.get(), sig.data(), &len, hash.data(), hash.size()) != 1) {
        raiseCrypt(__FILE__, __LINE__, errors::NTE_FAIL);
    }
    sig.resize(len);
    return order == ByteOrder::LittleEndian ? reversed(std::move(sig)) : sig;
}

std::vector<unsigned char> PrivateKey::decrypt(const std::vector<unsigned char>& block,
                                               ByteOrder order) const {
    requireRsa(key_.get());
    std::vector<unsigned char> in = order == ByteOrder::LittleEndian ? reversed(block) : block;
    EvpPkeyCtxPtr ctx(EVP_PKEY_CTX_new_from_pkey(nullptr, key_.get(), nullptr));
    size_t len = 0;
    if (!ctx || EVP_PKEY_decrypt_init(ctx.get()) != 1 ||
        EVP_PKEY_CTX_set_rsa_padding(ctx.get(), RSA_PKCS1_PADDING) != 1 ||
        EVP_PKEY_decrypt(ctx.get(), nullptr, &len, in.data(), in.size()) != 1) {
        raiseCrypt(__FILE__, __LINE__, errors::NTE_BAD_DATA);
    }
    std::vector<unsigned char> out(len);
    if (EVP_PKEY_decrypt(ctx.get(), out.data(), &len, in.data(), in.size()) != 1) {
        ERR_clear_error();
        raiseCrypt(__FILE__, __LINE__, errors::NTE_BAD_DATA);
    }
    out.resize(len);
    return out;
}

PublicKey PrivateKey::publicKey() const {
    return PublicKey::fromSubjectPublicKeyInfo(derOf(key_.get(), i2d_PUBKEY));
}

std::string PrivateKey::toPem(const std::string& password) const {
    BioPtr bio = memoryWriter();
    int ok;
    if (password.empty()) {
        ok = PEM_write_bio_PKCS8PrivateKey(bio.get(), key_.get(), nullptr, nullptr, 0, nullptr,
                                           nullptr);
    } else {
        if (password.size() > static_cast<size_t>(INT_MAX)) {
            raiseCrypt(__FILE__, __LINE__, errors::ERROR_INVALID_PARAMETER);
        }
        ok = PEM_write_bio_PKCS8PrivateKey(bio.get(), key_.get(), EVP_aes_256_cbc(),
                                           const_cast<char*>(password.data()),
                                           static_cast<int>(password.size()), nullptr, nullptr);
    }
    if (ok != 1) {
        raiseCrypt(__FILE__, __LINE__, errors::CRYPT_E_BAD_ENCODE);
    }
    char* data = nullptr;
    long n = BIO_get_mem_data(bio.get(), &data);
    return std::string(data, static_cast<size_t>(n));
}

} // namespace platform::crypt

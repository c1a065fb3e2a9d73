#include "platform/crypt/SignedMessage.h"

#include <openssl/cms.h>

#include "platform/crypt/CryptErrors.h"
#include "platform/crypt/EvpDigest.h"

namespace platform::crypt {

namespace {

std::vector<unsigned char> bioBytes(BIO* bio) {
    char* data = nullptr;
    long n = BIO_get_mem_data(bio, &data);
    return std::vector<unsigned char>(data, data + (n > 0 ? n : 0));
}

CmsPtr decodeCms(const std::vector<unsigned char>& der) {
    BioPtr in = memoryReader(der.data(), der.size());
    CmsPtr cms(d2i_CMS_bio(in.get(), nullptr));
    if (!cms) {
        ERR_clear_error();
        raiseCrypt(__FILE__, __LINE__, errors::CRYPT_E_ASN1_BADTAG);
    }
    return cms;
}

X509StackPtr stackOf(const std::vector<CertificatePtr>& certs) {
    X509StackPtr stack(sk_X509_new_null());
    for (const CertificatePtr& c : certs) {
        X509_up_ref(c->x509());
        sk_X509_push(stack.get(), c->x509());
    }
    return stack;
}

} // namespace

SignedMessage SignedMessage::sign(const std::vector<unsigned char>& content,
                                  const Certificate& signer, const PrivateKey& key,
                                  HashAlgorithm hash, bool detached,
                                  const std::vector<CertificatePtr>& extra) {
    unsigned int flags = CMS_BINARY | CMS_PARTIAL | CMS_NOSMIMECAP | (detached ? CMS_DETACHED : 0);
    X509StackPtr certs = stackOf(extra);
    CmsPtr cms(CMS_sign(nullptr, nullptr, certs.get(), nullptr, flags));
    if (!cms ||
        CMS_add1_signer(cms.get(), signer.x509(), key.get(), evpDigest(hash), flags) == nullptr) {
        ERR_clear_error();
        raiseCrypt(__FILE__, __LINE__, errors::CRYPT_E_MSG_ERROR);
    }
    BioPtr data = memoryReader(content.data(), content.size());
    if (CMS_final(cms.get(), data.get(), nullptr, flags) != 1) {
        ERR_clear_error();
        raiseCrypt(__FILE__, __LINE__, errors::CRYPT_E_MSG_ERROR);
    }
    return SignedMessage(std::move(cms));
}

SignedMessage SignedMessage::decode(const std::vector<unsigned char>& der) {
    CmsPtr cms = decodeCms(der);
    if (OBJ_obj2nid(CMS_get0_type(cms.get())) != NID_pkcs7_signed) {
        raiseCrypt(__FILE__, __LINE__, errors::CRYPT_E_INVALID_MSG_TYPE);
    }
    return SignedMessage(std::move(cms));
}

void SignedMessage::addSigner(const Certificate& signer, const PrivateKey& key, HashAlgorithm hash,
                              const std::vector<unsigned char>* detachedContent) {
    std::optional<std::vector<unsigned char>> own = content();
    const std::vector<unsigned char>* data = own ? &*own : detachedContent;
    if (data == nullptr) {
        raiseCrypt(__FILE__, __LINE__, errors::CRYPT_E_MSG_ERROR);
    }
    // The new signer (its certificate joins the message) signs attributes that carry the
    // digest of the content.
    unsigned int flags = CMS_BINARY | CMS_PARTIAL | CMS_NOSMIMECAP;
    CMS_SignerInfo* si =
        CMS_add1_signer(cms_.get(), signer.x509(), key.get(), evpDigest(hash), flags | CMS_NOATTR);
    if (si == nullptr) {
        ERR_clear_error();
        raiseCrypt(__FILE__, __LINE__, errors::CRYPT_E_MSG_ERROR);
    }
    // Signed attributes over the content digest.
    std::vector<unsigned char> md = digest(hash, data->data(), data->size());
    if (CMS_signed_add1_attr_by_NID(si, NID_pkcs9_contentType, V_ASN1_OBJECT,
                                    const_cast<ASN1_OBJECT*>(CMS_get0_eContentType(cms_.get())), -1) != 1 ||
        CMS_signed_add1_attr_by_NID(si, NID_pkcs9_messageDigest, V_ASN1_OCTET_STRING, md.data(),
                                    static_cast<int>(md.size())) != 1) {
        raiseCrypt(__FILE__, __LINE__, errors::CRYPT_E_MSG_ERROR);
    }
    ASN1_TIME* now = X509_gmtime_adj(nullptr, 0);
    CMS_signed_add1_attr_by_NID(si, NID_pkcs9_signingTime, V_ASN1_UTCTIME, now, -1);
    ASN1_TIME_free(now);
    if (CMS_SignerInfo_sign(si) != 1) {
        ERR_clear_error();
        raiseCrypt(__FILE__, __LINE__, errors::CRYPT_E_MSG_ERROR);
    }
}

void SignedMessage::addCertificate(const Certificate& certificate) {
    if (CMS_add1_cert(cms_.get(), certificate.x509()) != 1) {
        ERR_clear_error(); // already there
    }
}

std::vector<unsigned char> SignedMessage::encode() const {
    BioPtr out = memoryWriter();
    if (i2d_CMS_bio(out.get(), cms_.get()) != 1) {
        raiseCrypt(__FILE__, __LINE__, errors::CRYPT_E_BAD_ENCODE);
    }
    return bioBytes(out.get());
}

bool SignedMessage::detached() const {
    return CMS_is_detached(cms_.get()) == 1;
}

std::optional<std::vector<unsigned char>> SignedMessage::content() const {
    ASN1_OCTET_STRING** p = CMS_get0_content(cms_.get());
    if (detached() || p == nullptr || *p == nullptr) {
        return std::nullopt;
    }
    const unsigned char* d = ASN1_STRING_get0_data(*p);
    return std::vector<unsigned char>(d, d + ASN1_STRING_length(*p));
}

std::vector<CertificatePtr> SignedMessage::certificates() const {
    std::vector<CertificatePtr> out;
    X509StackPtr certs(CMS_get1_certs(cms_.get()));
    for (int i = 0; certs && i < sk_X509_num(certs.get()); ++i) {
        X509* x = sk_X509_value(certs.get(), i);
        X509_up_ref(x);
        out.push_back(std::make_shared<Certificate>(X509Ptr(x)));
    }
    return out;
}

size_t SignedMessage::signerCount() const {
    STACK_OF(CMS_SignerInfo)* signers = CMS_get0_SignerInfos(cms_.get());
    return signers == nullptr ? 0 : static_cast<size_t>(sk_CMS_SignerInfo_num(signers));
}

CMS_SignerInfo* SignedMessage::signerInfo(size_t index) const {
    if (index >= signerCount()) {
        raiseCrypt(__FILE__, __LINE__, errors::CRYPT_E_INVALID_INDEX);
    }
    return sk_CMS_SignerInfo_value(CMS_get0_SignerInfos(cms_.get()), static_cast<int>(index));
}

CertificatePtr SignedMessage::signerCertificate(size_t index,
                                                const std::vector<CertificatePtr>& extra) const {
    CMS_SignerInfo* si = signerInfo(index);
    std::vector<CertificatePtr> all = certificates();
    all.insert(all.end(), extra.begin(), extra.end());
    for (const CertificatePtr& c : all) {
        if (CMS_SignerInfo_cert_cmp(si, c->x509()) == 0) {
            return c;
        }
    }
    raiseCrypt(__FILE__, __LINE__, errors::CRYPT_E_SIGNER_NOT_FOUND);
}

void SignedMessage::verifySigner(size_t index, const std::vector<unsigned char>* detachedContent,
                                 const std::vector<CertificatePtr>& extra) const {
    CMS_SignerInfo* si = signerInfo(index);
    CertificatePtr signer = signerCertificate(index, extra);
    std::optional<std::vector<unsigned char>> own = content();
    const std::vector<unsigned char>* data = own ? &*own : detachedContent;
    if (data == nullptr) {
        raiseCrypt(__FILE__, __LINE__, errors::CRYPT_E_MSG_ERROR);
    }
    CMS_SignerInfo_set1_signer_cert(si, signer->x509());
    X509_ALGOR* digestAlg = nullptr;
    CMS_SignerInfo_get0_algs(si, nullptr, nullptr, &digestAlg, nullptr);
    const EVP_MD* md = digestAlg ? EVP_get_digestbyobj(digestAlg->algorithm) : nullptr;
    if (md == nullptr) {
        raiseCrypt(__FILE__, __LINE__, errors::CRYPT_E_UNKNOWN_ALGO);
    }
    if (CMS_signed_get_attr_count(si) > 0) {
        if (CMS_SignerInfo_verify(si) != 1) {
            ERR_clear_error();
            raiseCrypt(__FILE__, __LINE__, errors::NTE_BAD_SIGNATURE);
        }
        ASN1_OCTET_STRING* expected = static_cast<ASN1_OCTET_STRING*>(CMS_signed_get0_data_by_OBJ(
            si, OBJ_nid2obj(NID_pkcs9_messageDigest), -3, V_ASN1_OCTET_STRING));
        unsigned char actual[EVP_MAX_MD_SIZE];
        unsigned int len = 0;
        if (expected == nullptr ||
            EVP_Digest(data->empty() ? actual : data->data(), data->size(), actual, &len, md,
                       nullptr) != 1 ||
            static_cast<int>(len) != ASN1_STRING_length(expected) ||
            CRYPTO_memcmp(actual, ASN1_STRING_get0_data(expected), len) != 0) {
            raiseCrypt(__FILE__, __LINE__, errors::CRYPT_E_HASH_VALUE);
        }
        return;
    }
    // No signed attributes: the signature is over the content itself.
    ASN1_OCTET_STRING* sig = CMS_SignerInfo_get0_signature(si);
    std::unique_ptr<EVP_MD_CTX, OpenSslFree<EVP_MD_CTX, EVP_MD_CTX_free>> ctx(EVP_MD_CTX_new());
    EVP_PKEY* pub = X509_get0_pubkey(signer->x509());
    if (!ctx || pub == nullptr || EVP_DigestVerifyInit(ctx.get(), nullptr, md, nullptr, pub) != 1 ||
        EVP_DigestVerify(ctx.get(), ASN1_STRING_get0_data(sig),
                         static_cast<size_t>(ASN1_STRING_length(sig)), data->data(),
                         data->size()) != 1) {
        ERR_clear_error();
        raiseCrypt(__FILE__, __LINE__, errors::NTE_BAD_SIGNATURE);
    }
}

std::vector<unsigned char> EnvelopedMessage::encrypt(const std::vector<unsigned char>& content,
                                                     const std::vector<CertificatePtr>& recipients,
                                                     bool tripleDes) {
    if (recipients.empty()) {
        raiseCrypt(__FILE__, __LINE__, errors::CRYPT_E_NO_DECRYPT_CERT);
    }
    X509StackPtr certs = stackOf(recipients);
    BioPtr data = memoryReader(content.data(), content.size());
    CmsPtr cms(CMS_encrypt(certs.get(), data.get(),
                           tripleDes ? EVP_des_ede3_cbc() : EVP_aes_256_cbc(), CMS_BINARY));
    if (!cms) {
        ERR_clear_error();
        raiseCrypt(__FILE__, __LINE__, errors::CRYPT_E_MSG_ERROR);
    }
    BioPtr out = memoryWriter();
    if (i2d_CMS_bio(out.get(), cms.get()) != 1) {
        raiseCrypt(__FILE__, __LINE__, errors::CRYPT_E_BAD_ENCODE);
    }
    return bioBytes(out.get());
}

std::vector<unsigned char> EnvelopedMessage::decrypt(const std::vector<unsigned char>& der,
                                                     const Certificate& recipient,
                                                     const PrivateKey& key) {
    CmsPtr cms = decodeCms(der);
    if (OBJ_obj2nid(CMS_get0_type(cms.get())) != NID_pkcs7_enveloped) {
        raiseCrypt(__FILE__, __LINE__, errors::CRYPT_E_INVALID_MSG_TYPE);
    }
    BioPtr out = memoryWriter();
    if (CMS_decrypt(cms.get(), key.get(), recipient.x509(), nullptr, out.get(), CMS_BINARY) != 1) {
        ERR_clear_error();
        raiseCrypt(__FILE__, __LINE__, errors::CRYPT_E_NO_DECRYPT_CERT);
    }
    return bioBytes(out.get());
}

} // namespace platform::crypt

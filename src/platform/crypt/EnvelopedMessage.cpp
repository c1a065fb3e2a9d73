#include "platform/crypt/EnvelopedMessage.h"

#include <openssl/cms.h>

#include "platform/crypt/CryptErrors.h"
#include "platform/crypt/OpenSslHandles.h"

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

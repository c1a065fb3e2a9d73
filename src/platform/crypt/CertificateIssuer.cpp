#include "platform/crypt/CertificateIssuer.h"

#include <openssl/rand.h>
#include <openssl/rsa.h>

#include "platform/crypt/CryptErrors.h"
#include "platform/crypt/NameString.h"

namespace platform::crypt {

namespace {

void addExtension(X509* cert, X509* issuer, int nid, const std::string& value) {
    X509V3_CTX ctx;
    X509V3_set_ctx_nodb(&ctx);
    X509V3_set_ctx(&ctx, issuer, cert, nullptr, nullptr, 0);
    X509_EXTENSION* ext = X509V3_EXT_conf_nid(nullptr, &ctx, nid, value.c_str());
    if (ext == nullptr) {
        ERR_clear_error();
        raiseCrypt(__FILE__, __LINE__, errors::ERROR_INVALID_PARAMETER);
    }
    int ok = X509_add_ext(cert, ext, -1);
    X509_EXTENSION_free(ext);
    if (ok != 1) {
        raiseCrypt(__FILE__, __LINE__, errors::NTE_FAIL);
    }
}

} // namespace

std::shared_ptr<PrivateKey> generateRsaKey(int bits) {
    EVP_PKEY* raw = EVP_RSA_gen(static_cast<unsigned>(bits));
    if (raw == nullptr) {
        raiseCrypt(__FILE__, __LINE__, errors::NTE_FAIL);
    }
    return std::make_shared<PrivateKey>(EvpPkeyPtr(raw));
}

CertificatePtr issueCertificate(const CertificateRequest& request, const PrivateKey& key,
                                const Certificate* issuer, const PrivateKey* issuerKey) {
    if ((issuer == nullptr) != (issuerKey == nullptr) || request.validDays <= 0) {
        raiseCrypt(__FILE__, __LINE__, errors::ERROR_INVALID_PARAMETER);
    }
    X509Ptr cert(X509_new());
    if (!cert) {
        raiseCrypt(__FILE__, __LINE__, errors::NTE_NO_MEMORY);
    }
    unsigned char serial[16];
    if (RAND_bytes(serial, sizeof serial) != 1) {
        raiseCrypt(__FILE__, __LINE__, errors::NTE_FAIL);
    }
    serial[0] &= 0x7F; // positive
    serial[0] |= 0x01; // and of the full length
    BignumPtr bn(BN_bin2bn(serial, sizeof serial, nullptr));
    X509_set_version(cert.get(), 2);
    BN_to_ASN1_INTEGER(bn.get(), X509_get_serialNumber(cert.get()));
    X509_gmtime_adj(X509_getm_notBefore(cert.get()), -300);
    X509_time_adj_ex(X509_getm_notAfter(cert.get()), static_cast<int>(request.validDays), 0,
                     nullptr);
    std::vector<unsigned char> nameDer =
        stringToName(request.subject,
                     name_str::X500 | name_str::REVERSE_FLAG | name_str::ENABLE_UTF8_UNICODE_FLAG);
    const unsigned char* p = nameDer.data();
    X509NamePtr name(d2i_X509_NAME(nullptr, &p, static_cast<long>(nameDer.size())));
    X509_set_subject_name(cert.get(), name.get());
    X509_set_issuer_name(cert.get(), issuer ? X509_get_subject_name(issuer->x509()) : name.get());
    X509_set_pubkey(cert.get(), key.get());
    X509* issuerX509 = issuer ? issuer->x509() : cert.get();
    addExtension(cert.get(), issuerX509, NID_basic_constraints,
                 request.ca ? "critical,CA:TRUE" : "critical,CA:FALSE");
    if (!request.keyUsage.empty()) {
        addExtension(cert.get(), issuerX509, NID_key_usage, "critical," + request.keyUsage);
    }
    if (!request.extendedKeyUsage.empty()) {
        addExtension(cert.get(), issuerX509, NID_ext_key_usage, request.extendedKeyUsage);
    }
    addExtension(cert.get(), issuerX509, NID_subject_key_identifier, "hash");
    if (issuer) {
        addExtension(cert.get(), issuerX509, NID_authority_key_identifier, "keyid:always");
    }
    const PrivateKey& signer = issuerKey ? *issuerKey : key;
    if (X509_sign(cert.get(), signer.get(), EVP_sha256()) <= 0) {
        raiseCrypt(__FILE__, __LINE__, errors::NTE_FAIL);
    }
    return std::make_shared<Certificate>(std::move(cert));
}

} // namespace platform::crypt

#include "platform/crypt/Certificate.h"

#include <openssl/pem.h>

#include "platform/crypt/CryptErrors.h"
#include "platform/crypt/Digest.h"
#include "stream/Base64.h"

namespace platform::crypt {

namespace {

std::string oidText(const ASN1_OBJECT* obj) {
    char buffer[128];
    int n = OBJ_obj2txt(buffer, sizeof buffer, obj, 1);
    if (n <= 0 || static_cast<size_t>(n) >= sizeof buffer) {
        return {};
    }
    return std::string(buffer, static_cast<size_t>(n));
}

std::vector<unsigned char> nameDer(const X509_NAME* name) {
    const unsigned char* der = nullptr;
    size_t len = 0;
    if (X509_NAME_get0_der(const_cast<X509_NAME*>(name), &der, &len) != 1) {
        raiseCrypt(__FILE__, __LINE__, errors::CRYPT_E_BAD_ENCODE);
    }
    return std::vector<unsigned char>(der, der + len);
}

bool looksLikePem(std::string_view s) {
    return s.find("-----BEGIN") != std::string_view::npos;
}

} // namespace

std::time_t asn1TimeToEpoch(const ASN1_TIME* time) {
    struct tm tm {};
    if (time == nullptr || ASN1_TIME_to_tm(time, &tm) != 1) {
        raiseCrypt(__FILE__, __LINE__, errors::ERROR_INVALID_DATA);
    }
    return timegm(&tm);
}

Certificate::Certificate(X509Ptr x509) : x509_(std::move(x509)) {
    if (!x509_) {
        raiseCrypt(__FILE__, __LINE__, errors::CRYPT_E_ASN1_BADTAG);
    }
    der_ = derOf(x509_.get(), i2d_X509);
}

std::shared_ptr<Certificate> Certificate::fromDer(const unsigned char* data, size_t n) {
    if (n == 0 || n > static_cast<size_t>(LONG_MAX)) {
        raiseCrypt(__FILE__, __LINE__, errors::CRYPT_E_ASN1_BADTAG);
    }
    const unsigned char* p = data;
    X509Ptr x509(d2i_X509(nullptr, &p, static_cast<long>(n)));
    if (!x509) {
        ERR_clear_error();
        raiseCrypt(__FILE__, __LINE__, errors::CRYPT_E_ASN1_BADTAG);
    }
    return std::make_shared<Certificate>(std::move(x509));
}

std::shared_ptr<Certificate> Certificate::fromDer(const std::vector<unsigned char>& der) {
    return fromDer(der.data(), der.size());
}

std::shared_ptr<Certificate> Certificate::fromEncoded(std::string_view encoded) {
    if (!encoded.empty() && static_cast<unsigned char>(encoded.front()) == 0x30) {
        return fromDer(reinterpret_cast<const unsigned char*>(encoded.data()), encoded.size());
    }
    if (looksLikePem(encoded)) {
        std::vector<CertificatePtr> all = readCertificates(encoded);
        return all.front();
    }
    std::string der;
    try {
        der = stream::Base64::decode(encoded);
    } catch (const std::exception&) {
        raiseCrypt(__FILE__, __LINE__, errors::CRYPT_E_ASN1_BADTAG);
    }
    return fromDer(reinterpret_cast<const unsigned char*>(der.data()), der.size());
}

std::string Certificate::pem() const {
    BioPtr bio = memoryWriter();
    if (PEM_write_bio_X509(bio.get(), x509_.get()) != 1) {
        raiseCrypt(__FILE__, __LINE__, errors::CRYPT_E_BAD_ENCODE);
    }
    char* data = nullptr;
    long n = BIO_get_mem_data(bio.get(), &data);
    return std::string(data, static_cast<size_t>(n));
}

std::vector<unsigned char> Certificate::subjectDer() const {
    return nameDer(X509_get_subject_name(x509_.get()));
}

std::vector<unsigned char> Certificate::issuerDer() const {
    return nameDer(X509_get_issuer_name(x509_.get()));
}

std::string Certificate::subjectName(uint32_t strType) const {
    return nameToString(X509_get_subject_name(x509_.get()), strType);
}

std::string Certificate::issuerName(uint32_t strType) const {
    return nameToString(X509_get_issuer_name(x509_.get()), strType);
}

std::vector<unsigned char> Certificate::serialBytes() const {
    const ASN1_INTEGER* serial = X509_get0_serialNumber(x509_.get());
    const unsigned char* p = ASN1_STRING_get0_data(serial);
    return std::vector<unsigned char>(p, p + ASN1_STRING_length(serial));
}

std::string Certificate::serialNumber() const {
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char b : serialBytes()) {
        out.push_back(digits[b >> 4]);
        out.push_back(digits[b & 0x0F]);
    }
    return out;
}

std::time_t Certificate::notBefore() const {
    return asn1TimeToEpoch(X509_get0_notBefore(x509_.get()));
}

std::time_t Certificate::notAfter() const {
    return asn1TimeToEpoch(X509_get0_notAfter(x509_.get()));
}

std::vector<CertificateExtension> Certificate::extensions() const {
    std::vector<CertificateExtension> out;
    for (int i = 0; i < X509_get_ext_count(x509_.get()); ++i) {
        X509_EXTENSION* ext = X509_get_ext(x509_.get(), i);
        const ASN1_OCTET_STRING* data = X509_EXTENSION_get_data(ext);
        const unsigned char* p = ASN1_STRING_get0_data(data);
        out.push_back({oidText(X509_EXTENSION_get_object(ext)),
                       X509_EXTENSION_get_critical(ext) != 0,
                       std::vector<unsigned char>(p, p + ASN1_STRING_length(data))});
    }
    return out;
}

std::optional<std::vector<unsigned char>> Certificate::extension(const std::string& oid) const {
    for (CertificateExtension& ext : extensions()) {
        if (ext.oid == oid) {
            return std::move(ext.value);
        }
    }
    return std::nullopt;
}

std::vector<std::string> Certificate::extendedKeyUsage() const {
    std::vector<std::string> out;
    int crit = 0;
    auto* eku = static_cast<EXTENDED_KEY_USAGE*>(
        X509_get_ext_d2i(x509_.get(), NID_ext_key_usage, &crit, nullptr));
    if (eku == nullptr) {
        return out;
    }
    for (int i = 0; i < sk_ASN1_OBJECT_num(eku); ++i) {
        out.push_back(oidText(sk_ASN1_OBJECT_value(eku, i)));
    }
    sk_ASN1_OBJECT_pop_free(eku, ASN1_OBJECT_free);
    return out;
}

bool Certificate::isSelfIssued() const {
    return X509_NAME_cmp(X509_get_subject_name(x509_.get()), X509_get_issuer_name(x509_.get())) ==
           0;
}

std::vector<unsigned char> Certificate::sha1Hash() const {
    return digest(HashAlgorithm::SHA1, der_.data(), der_.size());
}

std::vector<unsigned char> Certificate::keyIdentifier() const {
    const ASN1_OCTET_STRING* ski = X509_get0_subject_key_id(x509_.get());
    if (ski != nullptr) {
        const unsigned char* p = ASN1_STRING_get0_data(ski);
        return std::vector<unsigned char>(p, p + ASN1_STRING_length(ski));
    }
    const ASN1_BIT_STRING* bits = X509_get0_pubkey_bitstr(x509_.get());
    if (bits == nullptr) {
        raiseCrypt(__FILE__, __LINE__, errors::CRYPT_E_NOT_FOUND);
    }
    return digest(HashAlgorithm::SHA1, ASN1_STRING_get0_data(bits),
                  static_cast<size_t>(ASN1_STRING_length(bits)));
}

PublicKey Certificate::publicKey() const {
    EVP_PKEY* key = X509_get_pubkey(x509_.get());
    if (key == nullptr) {
        raiseCrypt(__FILE__, __LINE__, errors::NTE_BAD_KEY);
    }
    return PublicKey(EvpPkeyPtr(key));
}

void Certificate::setKeyProvider(std::shared_ptr<KeyProvider> provider) {
    keyProvider_ = std::move(provider);
}

std::vector<CertificatePtr> readCertificates(std::string_view bytes) {
    std::vector<CertificatePtr> out;
    if (!bytes.empty() && static_cast<unsigned char>(bytes.front()) == 0x30) {
        out.push_back(Certificate::fromDer(reinterpret_cast<const unsigned char*>(bytes.data()),
                                           bytes.size()));
        return out;
    }
    BioPtr bio = memoryReader(bytes.data(), bytes.size());
    while (true) {
        X509Ptr x509(PEM_read_bio_X509(bio.get(), nullptr, nullptr, nullptr));
        if (!x509) {
            break;
        }
        out.push_back(std::make_shared<Certificate>(std::move(x509)));
    }
    ERR_clear_error();
    if (out.empty()) {
        raiseCrypt(__FILE__, __LINE__, errors::CRYPT_E_ASN1_BADTAG);
    }
    return out;
}

} // namespace platform::crypt

#include "platform/crypt/Pkcs12.h"

#include <openssl/pkcs12.h>

#include "platform/crypt/CryptErrors.h"

namespace platform::crypt {

Pkcs12Contents readPkcs12(std::string_view bytes, const std::string& password) {
    BioPtr bio = memoryReader(bytes.data(), bytes.size());
    std::unique_ptr<PKCS12, OpenSslFree<PKCS12, PKCS12_free>> p12(
        d2i_PKCS12_bio(bio.get(), nullptr));
    if (!p12) {
        ERR_clear_error();
        raiseCrypt(__FILE__, __LINE__, errors::CRYPT_E_ASN1_BADTAG);
    }
    if (PKCS12_mac_present(p12.get()) &&
        PKCS12_verify_mac(p12.get(), password.c_str(), static_cast<int>(password.size())) != 1) {
        ERR_clear_error();
        raiseCrypt(__FILE__, __LINE__, ERROR_INVALID_PASSWORD);
    }
    EVP_PKEY* key = nullptr;
    X509* cert = nullptr;
    STACK_OF(X509)* ca = nullptr;
    if (PKCS12_parse(p12.get(), password.c_str(), &key, &cert, &ca) != 1) {
        ERR_clear_error();
        raiseCrypt(__FILE__, __LINE__, ERROR_INVALID_PASSWORD);
    }
    EvpPkeyPtr keyOwner(key);
    X509Ptr certOwner(cert);
    X509StackPtr caOwner(ca);
    if (!keyOwner || !certOwner) {
        raiseCrypt(__FILE__, __LINE__, errors::CRYPT_E_NOT_FOUND);
    }
    Pkcs12Contents out;
    out.certificate = std::make_shared<Certificate>(std::move(certOwner));
    out.key = std::make_shared<PrivateKey>(std::move(keyOwner));
    for (int i = 0; ca != nullptr && i < sk_X509_num(ca); ++i) {
        X509* other = sk_X509_value(ca, i);
        X509_up_ref(other);
        out.others.push_back(std::make_shared<Certificate>(X509Ptr(other)));
    }
    return out;
}

} // namespace platform::crypt

#pragma once

#include <memory>
#include <vector>

#include <openssl/bio.h>
#include <openssl/cms.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/pkcs7.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

namespace platform::crypt {

// Owning handles for the OpenSSL objects the layer uses.
template <typename T, void (*Free)(T*)> struct OpenSslFree {
    void operator()(T* p) const noexcept { Free(p); }
};

inline void freeX509Stack(STACK_OF(X509) * s) {
    sk_X509_pop_free(s, X509_free);
}
inline void freeBio(BIO* b) {
    BIO_free_all(b);
}

using X509Ptr = std::unique_ptr<X509, OpenSslFree<X509, X509_free>>;
using X509NamePtr = std::unique_ptr<X509_NAME, OpenSslFree<X509_NAME, X509_NAME_free>>;
using X509StorePtr = std::unique_ptr<X509_STORE, OpenSslFree<X509_STORE, X509_STORE_free>>;
using X509StoreCtxPtr =
    std::unique_ptr<X509_STORE_CTX, OpenSslFree<X509_STORE_CTX, X509_STORE_CTX_free>>;
using X509StackPtr = std::unique_ptr<STACK_OF(X509), OpenSslFree<STACK_OF(X509), freeX509Stack>>;
using EvpPkeyPtr = std::unique_ptr<EVP_PKEY, OpenSslFree<EVP_PKEY, EVP_PKEY_free>>;
using EvpPkeyCtxPtr = std::unique_ptr<EVP_PKEY_CTX, OpenSslFree<EVP_PKEY_CTX, EVP_PKEY_CTX_free>>;
using BioPtr = std::unique_ptr<BIO, OpenSslFree<BIO, freeBio>>;
using CmsPtr = std::unique_ptr<CMS_ContentInfo, OpenSslFree<CMS_ContentInfo, CMS_ContentInfo_free>>;
using Pkcs7Ptr = std::unique_ptr<PKCS7, OpenSslFree<PKCS7, PKCS7_free>>;
using BignumPtr = std::unique_ptr<BIGNUM, OpenSslFree<BIGNUM, BN_free>>;
using Asn1OctetPtr =
    std::unique_ptr<ASN1_OCTET_STRING, OpenSslFree<ASN1_OCTET_STRING, ASN1_OCTET_STRING_free>>;
using Asn1ObjectPtr = std::unique_ptr<ASN1_OBJECT, OpenSslFree<ASN1_OBJECT, ASN1_OBJECT_free>>;
using Asn1TypePtr = std::unique_ptr<ASN1_TYPE, OpenSslFree<ASN1_TYPE, ASN1_TYPE_free>>;
using EvpCipherPtr = std::unique_ptr<EVP_CIPHER, OpenSslFree<EVP_CIPHER, EVP_CIPHER_free>>;
using EvpCipherCtxPtr =
    std::unique_ptr<EVP_CIPHER_CTX, OpenSslFree<EVP_CIPHER_CTX, EVP_CIPHER_CTX_free>>;

// The DER encoding i2d produced into a buffer it allocated (freed here), or CRYPT_E_BAD_ENCODE
// when len is negative.
std::vector<unsigned char> takeDer(unsigned char* der, int len);

// The DER encoding of an object through its i2d function.
template <typename T, typename I2d> std::vector<unsigned char> derOf(T* object, I2d i2d) {
    unsigned char* der = nullptr;
    int len = i2d(object, &der);
    return takeDer(der, len);
}

// A memory BIO reading the given bytes (not copied: they must outlive the BIO).
BioPtr memoryReader(const void* data, size_t n);
// An empty, writable memory BIO.
BioPtr memoryWriter();

} // namespace platform::crypt

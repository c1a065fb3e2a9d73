#include "platform/crypt/SignerCheck.h"

#include <openssl/rsa.h>

#include "platform/crypt/CryptErrors.h"
#include "platform/crypt/DigestAlgorithms.h"
#include "platform/crypt/OpenSslHandles.h"

namespace platform::crypt {

namespace {

using Asn1TimePtr = std::unique_ptr<ASN1_TIME, OpenSslFree<ASN1_TIME, ASN1_TIME_free>>;

const EVP_MD* digestOf(const std::string& oid) {
    ASN1_OBJECT* object = OBJ_txt2obj(oid.c_str(), 1);
    const EVP_MD* md = object != nullptr ? EVP_get_digestbyobj(object) : nullptr;
    ASN1_OBJECT_free(object);
    if (md == nullptr) {
        // Some signers put the signature algorithm (sha256WithRSAEncryption) here.
        int nid = OBJ_txt2nid(oid.c_str());
        int digestNid = NID_undef;
        if (nid != NID_undef && OBJ_find_sigid_algs(nid, &digestNid, nullptr) == 1) {
            md = EVP_get_digestbynid(digestNid);
        }
    }
    ERR_clear_error();
    if (md == nullptr) {
        raiseCrypt(__FILE__, __LINE__, errors::CRYPT_E_UNKNOWN_ALGO);
    }
    return md;
}

// Signature algorithms checked here: RSA PKCS#1 v1.5 (the key's OID or one naming the
// digest) and ECDSA. Others (RSASSA-PSS among them) are refused as unknown.
bool knownSignatureAlgorithm(const std::string& oid) {
    static const char* const kKnown[] = {
        "1.2.840.113549.1.1.1",  "1.2.840.113549.1.1.4",  "1.2.840.113549.1.1.5",
        "1.2.840.113549.1.1.11", "1.2.840.113549.1.1.12", "1.2.840.113549.1.1.13",
        "1.2.840.113549.1.1.14", "1.2.840.10045.2.1",     "1.2.840.10045.4.1",
        "1.2.840.10045.4.3.1",   "1.2.840.10045.4.3.2",   "1.2.840.10045.4.3.3",
        "1.2.840.10045.4.3.4",
    };
    for (const char* known : kKnown) {
        if (oid == known) {
            return true;
        }
    }
    return false;
}

} // namespace

std::vector<unsigned char> signedAttributesAsSet(const SignerInfoView& signer) {
    if (!signer.hasSignedAttributes || signer.signedAttributes.empty()) {
        return {};
    }
    std::vector<unsigned char> set = signer.signedAttributes.bytes();
    set[0] = 0x31;
    return set;
}

std::vector<unsigned char> digestWith(const std::string& digestOid, const unsigned char* data,
                                      size_t size) {
    return digestWith(digestOf(digestOid), data, size);
}

size_t digestSize(const std::string& digestOid) {
    return static_cast<size_t>(EVP_MD_get_size(digestOf(digestOid)));
}

bool signerNames(const SignerInfoView& signer, const Certificate& certificate) {
    if (signer.sid.byKeyIdentifier) {
        std::vector<unsigned char> id = certificate.keyIdentifier();
        return ByteView{id.data(), id.size()} == signer.sid.keyIdentifier;
    }
    std::vector<unsigned char> issuer = certificate.issuerDer();
    if (!(ByteView{issuer.data(), issuer.size()} == signer.sid.issuer)) {
        return false;
    }
    // INTEGER value octets as the certificate encodes them (two's complement, minimal).
    const ASN1_INTEGER* serial = X509_get0_serialNumber(certificate.x509());
    std::vector<unsigned char> der = derOf(const_cast<ASN1_INTEGER*>(serial), i2d_ASN1_INTEGER);
    DerReader reader(der.data(), der.size());
    DerElement value = reader.expect(0x02);
    return ByteView{value.value, value.length} == signer.sid.serialNumber;
}

bool signatureMatches(const SignerInfoView& signer, const Certificate& certificate,
                      const std::vector<unsigned char>& digest) {
    if (!knownSignatureAlgorithm(signer.signatureAlgorithm)) {
        raiseCrypt(__FILE__, __LINE__, errors::CRYPT_E_UNKNOWN_ALGO);
    }
    const EVP_MD* md = digestOf(signer.digestAlgorithm);
    PublicKey key = certificate.publicKey();
    EvpPkeyCtxPtr ctx(EVP_PKEY_CTX_new(key.get(), nullptr));
    bool ok = ctx && EVP_PKEY_verify_init(ctx.get()) == 1;
    if (ok && EVP_PKEY_get_base_id(key.get()) == EVP_PKEY_RSA) {
        ok = EVP_PKEY_CTX_set_rsa_padding(ctx.get(), RSA_PKCS1_PADDING) == 1;
    }
    ok = ok && EVP_PKEY_CTX_set_signature_md(ctx.get(), md) == 1 &&
         EVP_PKEY_verify(ctx.get(), signer.signature.data, signer.signature.size, digest.data(),
                         digest.size()) == 1;
    ERR_clear_error();
    return ok;
}

void verifySignerOver(const SignerInfoView& signer, const Certificate& certificate,
                      ByteView content) {
    std::vector<unsigned char> toCheck;
    if (signer.hasSignedAttributes) {
        const SignerAttribute* digestAttribute = signer.attribute(kMessageDigestAttribute);
        if (digestAttribute == nullptr) {
            raiseCrypt(__FILE__, __LINE__, errors::NTE_BAD_SIGNATURE);
        }
        DerReader values(digestAttribute->values.data, digestAttribute->values.size);
        DerElement expected = values.expect(0x04);
        std::vector<unsigned char> actual =
            digestWith(signer.digestAlgorithm, content.data, content.size);
        if (!(ByteView{actual.data(), actual.size()} ==
              ByteView{expected.value, expected.length})) {
            raiseCrypt(__FILE__, __LINE__, errors::NTE_BAD_SIGNATURE);
        }
        std::vector<unsigned char> set = signedAttributesAsSet(signer);
        toCheck = digestWith(signer.digestAlgorithm, set.data(), set.size());
    } else {
        toCheck = digestWith(signer.digestAlgorithm, content.data, content.size);
    }
    if (!signatureMatches(signer, certificate, toCheck)) {
        raiseCrypt(__FILE__, __LINE__, errors::NTE_BAD_SIGNATURE);
    }
}

std::optional<std::time_t> signingTimeOf(const SignerInfoView& signer) {
    const SignerAttribute* attribute = signer.attribute(kSigningTimeAttribute);
    if (attribute == nullptr || attribute->values.empty()) {
        return std::nullopt;
    }
    const unsigned char* p = attribute->values.data;
    Asn1TimePtr time(d2i_ASN1_TIME(nullptr, &p, static_cast<long>(attribute->values.size)));
    ERR_clear_error();
    if (!time) {
        return std::nullopt;
    }
    try {
        return asn1TimeToEpoch(time.get());
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

} // namespace platform::crypt

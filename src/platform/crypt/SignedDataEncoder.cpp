#include "platform/crypt/SignedDataEncoder.h"

#include <algorithm>
#include <deque>

#include <openssl/rsa.h>

#include "platform/crypt/CryptErrors.h"
#include "platform/crypt/DerReader.h"
#include "platform/crypt/DigestAlgorithms.h"
#include "platform/crypt/SignedDataParser.h"

namespace platform::crypt {

namespace {

constexpr const char* kData = "1.2.840.113549.1.7.1";
constexpr const char* kSignedData = "1.2.840.113549.1.7.2";
constexpr const char* kContentTypeAttribute = "1.2.840.113549.1.9.3";
constexpr const char* kMessageDigestAttribute = "1.2.840.113549.1.9.4";
constexpr const char* kRsaEncryption = "1.2.840.113549.1.1.1";

bool isData(const std::string& contentType) {
    return contentType.empty() || contentType == kData;
}

Bytes header(uint8_t tag, size_t length) {
    Bytes out{tag};
    der::appendLength(out, length);
    return out;
}

// PKCS#1 v1.5 signature over a digest, most significant byte first.
Bytes signDigest(EVP_PKEY* key, const DigestAlgorithmInfo& algorithm, const Bytes& digest) {
    EvpPkeyCtxPtr ctx(EVP_PKEY_CTX_new_from_pkey(nullptr, key, nullptr));
    size_t length = 0;
    if (!ctx || EVP_PKEY_sign_init(ctx.get()) != 1 ||
        EVP_PKEY_CTX_set_rsa_padding(ctx.get(), RSA_PKCS1_PADDING) != 1 ||
        EVP_PKEY_CTX_set_signature_md(ctx.get(), algorithm.md()) != 1 ||
        EVP_PKEY_sign(ctx.get(), nullptr, &length, digest.data(), digest.size()) != 1) {
        ERR_clear_error();
        raiseCrypt(__FILE__, __LINE__, errors::NTE_FAIL);
    }
    Bytes signature(length);
    if (EVP_PKEY_sign(ctx.get(), signature.data(), &length, digest.data(), digest.size()) != 1) {
        ERR_clear_error();
        raiseCrypt(__FILE__, __LINE__, errors::NTE_FAIL);
    }
    signature.resize(length);
    return signature;
}

void checkSigner(const SignerRequest& signer) {
    if (!signer.certificate || !signer.key) {
        raiseCrypt(__FILE__, __LINE__, errors::NTE_NO_KEY);
    }
    EVP_PKEY* key = signer.key->get();
    if (EVP_PKEY_get_base_id(key) != EVP_PKEY_RSA) {
        raiseCrypt(__FILE__, __LINE__, errors::NTE_BAD_KEY);
    }
    // A key that is not the certificate's would give a signature nobody can check.
    EVP_PKEY* certificateKey = X509_get0_pubkey(signer.certificate->x509());
    if (certificateKey == nullptr || EVP_PKEY_eq(certificateKey, key) != 1) {
        ERR_clear_error();
        raiseCrypt(__FILE__, __LINE__, errors::NTE_BAD_KEY);
    }
}

// The digest the signer covers: the supplied one (checked against the algorithm) or the
// digest of the content octets.
Bytes contentDigest(const SignerRequest& signer, const DigestAlgorithmInfo& algorithm,
                    const unsigned char* octets, size_t size) {
    if (signer.suppliedDigest != nullptr) {
        if (signer.suppliedDigest->size() != algorithm.size) {
            raiseCrypt(__FILE__, __LINE__, errors::NTE_BAD_HASH);
        }
        return *signer.suppliedDigest;
    }
    return digestWith(algorithm, octets, size);
}

// One SignerInfo over a content digest.
Bytes signerInfo(SignedDataFlavour flavour, const SignerRequest& signer,
                 const DigestAlgorithmInfo& algorithm, const std::string& contentType,
                 const Bytes& digest, bool& versionThree) {
    Bytes sid;
    versionThree = flavour == SignedDataFlavour::Cms && signer.keyIdentifier;
    if (versionThree) {
        Bytes keyId = signer.certificate->keyIdentifier();
        sid = der::tlv(0x80, keyId);
    } else {
        Bytes issuer = signer.certificate->issuerDer();
        Bytes serial = derOf(X509_get0_serialNumber(signer.certificate->x509()), i2d_ASN1_INTEGER);
        sid = der::sequence({&issuer, &serial});
    }
    Bytes version = der::integer(versionThree ? 3 : 1);
    Bytes digestOid = der::oid(signer.digestOid);
    Bytes digestAlgorithm = der::sequence({&digestOid});

    Bytes attributes;
    Bytes toSign = digest;
    bool withAttributes = !signer.signedAttributes.empty() || !isData(contentType);
    if (withAttributes) {
        Bytes typeValue = der::oid(isData(contentType) ? kData : contentType);
        Bytes digestValue = der::octetString(digest.data(), digest.size());
        Bytes set = der::attribute(kContentTypeAttribute, typeValue);
        Bytes messageDigest = der::attribute(kMessageDigestAttribute, digestValue);
        set.insert(set.end(), messageDigest.begin(), messageDigest.end());
        for (const Bytes& a : signer.signedAttributes) {
            // Each one must be a single DER element; anything else would be signed as garbage.
            DerReader check(a.data(), a.size());
            check.expect(0x30);
            if (!check.atEnd()) {
                raiseCrypt(__FILE__, __LINE__, errors::CRYPT_E_ASN1_CORRUPT);
            }
            set.insert(set.end(), a.begin(), a.end());
        }
        // The signature covers the attributes as a SET OF; the message carries them [0].
        Bytes asSet = der::tlv(0x31, set);
        toSign = digestWith(algorithm, asSet.data(), asSet.size());
        attributes = der::tlv(0xA0, set);
    }
    Bytes signatureOid = der::oid(kRsaEncryption);
    Bytes null = der::null();
    Bytes signatureAlgorithm = der::sequence({&signatureOid, &null});
    Bytes rawSignature = signDigest(signer.key->get(), algorithm, toSign);
    Bytes signature = der::octetString(rawSignature.data(), rawSignature.size());
    return der::sequence(
        {&version, &sid, &digestAlgorithm, &attributes, &signatureAlgorithm, &signature});
}

// The ContentInfo around a SignedData given as pieces, written once into one buffer.
class SignedDataWriter {
public:
    void add(const unsigned char* data, size_t size) {
        if (size != 0) {
            pieces_.push_back({data, size});
        }
    }
    void add(Bytes bytes) {
        storage_.push_back(std::move(bytes));
        pieces_.push_back({storage_.back().data(), storage_.back().size()});
    }
    stream::ByteBuffer finish() const {
        size_t body = 0;
        for (const ByteView& piece : pieces_) {
            body += piece.size;
        }
        Bytes signedDataHeader = header(0x30, body);
        Bytes explicitHeader = header(0xA0, signedDataHeader.size() + body);
        Bytes type = der::oid(kSignedData);
        size_t infoLength = type.size() + explicitHeader.size() + signedDataHeader.size() + body;
        Bytes infoHeader = header(0x30, infoLength);
        stream::ByteBuffer out;
        // One byte more: room for the terminating zero a content adds when read as text.
        out.reserveExact(infoHeader.size() + infoLength + 1);
        out.prefault(infoHeader.size() + infoLength);
        for (const Bytes* part : {&infoHeader, &type, &explicitHeader, &signedDataHeader}) {
            out.append(part->data(), part->size());
        }
        for (const ByteView& piece : pieces_) {
            out.append(piece.data, piece.size);
        }
        return out;
    }

private:
    std::deque<Bytes> storage_;
    std::vector<ByteView> pieces_;
};

} // namespace

stream::ByteBuffer SignedDataEncoder::sign(const SignerRequest& signer,
                                           const unsigned char* content, size_t size,
                                           const std::string& contentType, bool detached) const {
    const DigestAlgorithmInfo& algorithm = digestAlgorithm(signer.digestOid);
    checkSigner(signer);
    if (content == nullptr && size != 0) {
        raiseCrypt(__FILE__, __LINE__, errors::ERROR_INVALID_PARAMETER);
    }
    const std::string type = isData(contentType) ? std::string(kData) : contentType;
    Bytes typeOid = der::oid(type);

    // PKCS#7 content of another type is its own encoding, digested over its contents octets.
    bool ownEncoding = flavour_ == SignedDataFlavour::Pkcs7 && !isData(type);
    const unsigned char* octets = content;
    size_t octetCount = size;
    if (ownEncoding && signer.suppliedDigest == nullptr) {
        DerReader reader(content, size);
        DerElement element = reader.next();
        if (!reader.atEnd()) {
            raiseCrypt(__FILE__, __LINE__, errors::CRYPT_E_ASN1_CORRUPT);
        }
        octets = element.value;
        octetCount = element.length;
    }
    Bytes digest = contentDigest(signer, algorithm, octets, octetCount);
    bool versionThree = false;
    Bytes info = signerInfo(flavour_, signer, algorithm, type, digest, versionThree);

    SignedDataWriter writer;
    bool cmsVersionThree = flavour_ == SignedDataFlavour::Cms && (versionThree || !isData(type));
    writer.add(der::integer(cmsVersionThree ? 3 : 1));
    Bytes digestOid = der::oid(signer.digestOid);
    Bytes digestAlgorithm = der::sequence({&digestOid});
    writer.add(der::tlv(0x31, digestAlgorithm));
    if (detached) {
        writer.add(der::sequence({&typeOid}));
    } else {
        Bytes contentHeader = ownEncoding ? Bytes{} : header(0x04, size);
        size_t explicitLength = contentHeader.size() + size;
        Bytes explicitHeader = header(0xA0, explicitLength);
        Bytes encapHeader = header(0x30, typeOid.size() + explicitHeader.size() + explicitLength);
        writer.add(std::move(encapHeader));
        writer.add(std::move(typeOid));
        writer.add(std::move(explicitHeader));
        writer.add(std::move(contentHeader));
        writer.add(content, size);
    }
    const Bytes& certificate = signer.certificate->der();
    writer.add(der::tlv(0xA0, certificate));
    writer.add(der::tlv(0x31, info));
    return writer.finish();
}

stream::ByteBuffer SignedDataEncoder::addSigner(const SignerRequest& signer,
                                                const unsigned char* message, size_t size,
                                                const unsigned char* detachedContent,
                                                size_t detachedSize) const {
    const DigestAlgorithmInfo& algorithm = digestAlgorithm(signer.digestOid);
    checkSigner(signer);
    SignedDataParser parts(message, size);
    bool hasContent = parts.hasContentField();
    if (!hasContent && detachedContent == nullptr) {
        // A detached message co-signed without its content: there is nothing to sign.
        raiseCrypt(__FILE__, __LINE__, errors::ERROR_INVALID_PARAMETER);
    }
    ByteView octets =
        hasContent ? parts.digestedContent() : ByteView{detachedContent, detachedSize};
    Bytes digest = digestWith(algorithm, octets.data, octets.size);
    bool versionThree = false;
    Bytes info = signerInfo(flavour_, signer, algorithm, parts.contentType(), digest, versionThree);

    SignedDataWriter writer;
    uint64_t version = parts.version();
    if (flavour_ == SignedDataFlavour::Cms && (versionThree || !isData(parts.contentType())) &&
        version < 3) {
        version = 3;
    }
    writer.add(der::integer(version));

    Bytes algorithms;
    for (const ByteView& a : parts.digestAlgorithmElements()) {
        algorithms.insert(algorithms.end(), a.data, a.data + a.size);
    }
    bool known = false;
    for (const std::string& oid : parts.digestAlgorithms()) {
        known = known || oid == signer.digestOid;
    }
    if (!known) {
        Bytes digestOid = der::oid(signer.digestOid);
        Bytes digestAlgorithm = der::sequence({&digestOid});
        algorithms.insert(algorithms.end(), digestAlgorithm.begin(), digestAlgorithm.end());
    }
    writer.add(der::tlv(0x31, algorithms));
    ByteView encapsulated = parts.encapsulatedContentInfo();
    writer.add(encapsulated.data, encapsulated.size);

    const Bytes& certificate = signer.certificate->der();
    ByteView own{certificate.data(), certificate.size()};
    size_t certificatesLength = 0;
    bool present = false;
    for (const ByteView& c : parts.certificateElements()) {
        certificatesLength += c.size;
        present = present || c == own;
    }
    if (!present) {
        certificatesLength += certificate.size();
    }
    writer.add(header(0xA0, certificatesLength));
    for (const ByteView& c : parts.certificateElements()) {
        writer.add(c.data, c.size);
    }
    if (!present) {
        writer.add(certificate.data(), certificate.size());
    }
    ByteView crls = parts.crls();
    writer.add(crls.data, crls.size);

    size_t signersLength = info.size();
    for (const SignerInfoView& s : parts.signers()) {
        signersLength += s.encoding.size;
    }
    writer.add(header(0x31, signersLength));
    for (const SignerInfoView& s : parts.signers()) {
        writer.add(s.encoding.data, s.encoding.size);
    }
    writer.add(std::move(info));
    return writer.finish();
}

} // namespace platform::crypt

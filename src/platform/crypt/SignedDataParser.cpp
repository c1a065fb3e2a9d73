#include "platform/crypt/SignedDataParser.h"

#include <cstring>

#include "platform/crypt/CryptErrors.h"
#include "platform/crypt/OpenSslHandles.h"
#include "stream/exceptions/CryptException.h"

namespace platform::crypt {

namespace {

constexpr char kSignedData[] = "1.2.840.113549.1.7.2";

constexpr uint8_t kSequence = 0x30;
constexpr uint8_t kSet = 0x31;
constexpr uint8_t kInteger = 0x02;
constexpr uint8_t kOctetString = 0x04;
constexpr uint8_t kConstructedOctetString = 0x24;
constexpr uint8_t kOid = 0x06;
constexpr uint8_t kContext0 = 0xA0;
constexpr uint8_t kContext1 = 0xA1;
constexpr uint8_t kImplicitKeyId = 0x80;

ByteView valueOf(const DerElement& e) {
    return {e.value, e.length};
}

ByteView wholeOf(const DerElement& e, const unsigned char* base) {
    return {e.begin(base), e.totalLength()};
}

// The algorithm OID of an AlgorithmIdentifier.
std::string algorithmOf(DerReader& reader) {
    DerElement algorithm = reader.expect(kSequence);
    DerReader inside = reader.inside(algorithm);
    return oidText(inside.expect(kOid));
}

// DER of a BER message through OpenSSL's decoders (CMS first, then PKCS#7 for contents that
// are not OCTET STRINGs); empty when OpenSSL cannot read it either.
std::vector<unsigned char> reencodeAsDer(const unsigned char* data, size_t size) {
    {
        BioPtr in = memoryReader(data, size);
        CmsPtr cms(d2i_CMS_bio(in.get(), nullptr));
        if (cms) {
            BioPtr out = memoryWriter();
            if (i2d_CMS_bio(out.get(), cms.get()) == 1) {
                const unsigned char* p = nullptr;
                long n = BIO_get_mem_data(out.get(), &p);
                if (n > 0 && p != nullptr) {
                    ERR_clear_error();
                    return {p, p + n};
                }
            }
        }
    }
    BioPtr in = memoryReader(data, size);
    Pkcs7Ptr p7(d2i_PKCS7_bio(in.get(), nullptr));
    ERR_clear_error();
    if (!p7) {
        return {};
    }
    return derOf(p7.get(), i2d_PKCS7);
}

// Zero bytes may follow a DER message that was read; anything else after it is no part of it.
void refuseTrailingBytes(const unsigned char* data, size_t size) {
    DerReader top(data, size);
    DerElement message = top.next();
    for (size_t i = message.end(); i < size; ++i) {
        if (data[i] != 0) {
            raiseCrypt(__FILE__, __LINE__, errors::CRYPT_E_ASN1_CORRUPT);
        }
    }
}

} // namespace

bool ByteView::operator==(const ByteView& other) const noexcept {
    return size == other.size && (size == 0 || std::memcmp(data, other.data, size) == 0);
}

const SignerAttribute* SignerInfoView::attribute(const std::string& oid) const {
    for (const SignerAttribute& a : attributes) {
        if (a.oid == oid) {
            return &a;
        }
    }
    return nullptr;
}

SignedDataParser::SignedDataParser(const unsigned char* data, size_t size)
    : bytes_(data), size_(size) {
    if (data == nullptr || size == 0) {
        raiseCrypt(__FILE__, __LINE__, errors::CRYPT_E_ASN1_BADTAG);
    }
    uint32_t code = 0;
    try {
        read();
    } catch (const stream::exceptions::CryptException& e) {
        code = e.errorCode();
        // A message that is not signed data stays what it is; anything else may be BER.
        if (code == errors::CRYPT_E_INVALID_MSG_TYPE) {
            throw;
        }
    }
    if (code == 0) {
        refuseTrailingBytes(data, size);
        return;
    }
    {
        std::vector<unsigned char> der = reencodeAsDer(data, size);
        if (der.empty() || (der.size() == size && std::memcmp(der.data(), data, size) == 0)) {
            raiseCrypt(__FILE__, __LINE__, code);
        }
        normalisedCopy_ = std::move(der);
    }
    bytes_ = normalisedCopy_.data();
    size_ = normalisedCopy_.size();
    read();
}

void SignedDataParser::read() {
    version_ = 0;
    digestAlgorithms_.clear();
    contentType_.clear();
    content_ = {};
    digested_ = {};
    certificates_.clear();
    signers_.clear();
    digestAlgorithmElements_.clear();
    encapsulated_ = {};
    hasContentField_ = false;
    certificateElements_.clear();
    crls_ = {};

    DerReader top(bytes_, size_);
    if (top.peekTag() != kSequence) {
        raiseCrypt(__FILE__, __LINE__, errors::CRYPT_E_ASN1_BADTAG);
    }
    DerElement outer = top.next();
    DerReader body = top.inside(outer);
    DerElement signedData = outer;
    if (body.peekTag() == kOid) {
        // ContentInfo { contentType, [0] EXPLICIT content }
        if (oidText(body.next()) != kSignedData) {
            raiseCrypt(__FILE__, __LINE__, errors::CRYPT_E_INVALID_MSG_TYPE);
        }
        DerElement explicitContent = body.expect(kContext0);
        DerReader wrapped = body.inside(explicitContent);
        signedData = wrapped.expect(kSequence);
    } else if (body.peekTag() != kInteger) {
        raiseCrypt(__FILE__, __LINE__, errors::CRYPT_E_ASN1_BADTAG);
    }

    DerReader fields = top.inside(signedData);
    version_ = integerValue(fields.expect(kInteger));
    DerElement algorithms = fields.expect(kSet);
    DerReader algorithmList = fields.inside(algorithms);
    while (!algorithmList.atEnd()) {
        DerReader one = algorithmList;
        digestAlgorithmElements_.push_back(wholeOf(one.expect(kSequence), bytes_));
        digestAlgorithms_.push_back(algorithmOf(algorithmList));
    }
    readEncapsulated(fields);
    if (fields.peekTag() == kContext0) {
        DerElement certs = fields.next();
        DerReader list = fields.inside(certs);
        while (!list.atEnd()) {
            DerElement cert = list.next();
            certificateElements_.push_back(wholeOf(cert, bytes_));
            if (cert.tag == kSequence) {
                certificates_.push_back(wholeOf(cert, bytes_));
            }
        }
    }
    if (fields.peekTag() == kContext1) {
        crls_ = wholeOf(fields.next(), bytes_);
    }
    DerElement signerSet = fields.expect(kSet);
    DerReader signerList = fields.inside(signerSet);
    while (!signerList.atEnd()) {
        signers_.push_back(readSigner(signerList.expect(kSequence)));
    }
    if (!fields.atEnd()) {
        raiseCrypt(__FILE__, __LINE__, errors::CRYPT_E_ASN1_CORRUPT);
    }
}

void SignedDataParser::readEncapsulated(DerReader& fields) {
    DerElement encapsulated = fields.expect(kSequence);
    encapsulated_ = wholeOf(encapsulated, bytes_);
    DerReader inside = fields.inside(encapsulated);
    contentType_ = oidText(inside.expect(kOid));
    if (inside.atEnd()) {
        return;
    }
    DerElement explicitContent = inside.expect(kContext0);
    hasContentField_ = true;
    DerReader wrapped = inside.inside(explicitContent);
    if (wrapped.atEnd()) {
        return;
    }
    if (wrapped.peekTag() == kConstructedOctetString) {
        // A BER string in pieces: read again once OpenSSL has joined them.
        raiseCrypt(__FILE__, __LINE__, errors::CRYPT_E_ASN1_CORRUPT);
    }
    DerElement content = wrapped.next();
    if (content.tag == kOctetString) {
        content_ = valueOf(content);
        digested_ = content_;
    } else {
        content_ = wholeOf(content, bytes_);
        digested_ = valueOf(content);
    }
}

SignerInfoView SignedDataParser::readSigner(const DerElement& element) const {
    DerReader fields(element.value, element.length, bytes_);
    SignerInfoView signer;
    signer.encoding = wholeOf(element, bytes_);
    signer.version = integerValue(fields.expect(kInteger));
    if (fields.peekTag() == kSequence) {
        DerElement issuerAndSerial = fields.next();
        DerReader parts = fields.inside(issuerAndSerial);
        DerElement issuer = parts.expect(kSequence);
        signer.sid.issuer = wholeOf(issuer, bytes_);
        signer.sid.issuerOffset = issuer.offset;
        DerElement serial = parts.expect(kInteger);
        if (serial.length == 0) {
            raiseCrypt(__FILE__, __LINE__, errors::CRYPT_E_ASN1_CORRUPT);
        }
        signer.sid.serialNumber = valueOf(serial);
    } else {
        DerElement keyId = fields.expect(kImplicitKeyId);
        signer.sid.byKeyIdentifier = true;
        signer.sid.keyIdentifier = valueOf(keyId);
    }
    signer.digestAlgorithm = algorithmOf(fields);
    if (fields.peekTag() == kContext0) {
        DerElement attributes = fields.next();
        signer.hasSignedAttributes = true;
        signer.signedAttributes = wholeOf(attributes, bytes_);
        DerReader list = fields.inside(attributes);
        while (!list.atEnd()) {
            DerElement attribute = list.expect(kSequence);
            DerReader parts = list.inside(attribute);
            SignerAttribute a;
            a.oid = oidText(parts.expect(kOid));
            a.encoding = wholeOf(attribute, bytes_);
            a.values = valueOf(parts.expect(kSet));
            signer.attributes.push_back(std::move(a));
        }
    }
    signer.signatureAlgorithm = algorithmOf(fields);
    signer.signature = valueOf(fields.expect(kOctetString));
    return signer;
}

} // namespace platform::crypt

#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/crypt/DerReader.h"

namespace platform::crypt {

// A range of bytes inside a buffer owned elsewhere.
struct ByteView {
    const unsigned char* data = nullptr;
    size_t size = 0;

    bool empty() const noexcept { return size == 0; }
    std::vector<unsigned char> bytes() const { return {data, data + size}; }
    bool operator==(const ByteView& other) const noexcept;
};

// How a signer names its certificate: issuer and serial number, or subject key identifier.
struct SignerIdentifier {
    bool byKeyIdentifier = false;
    ByteView issuer;         // the whole Name element
    size_t issuerOffset = 0; // of the Name's tag, from the start of the message bytes read
    ByteView serialNumber;   // the INTEGER's value octets
    ByteView keyIdentifier;  // the value octets of [0]
};

// One attribute of a signer: its type and the value octets of its SET OF values.
struct SignerAttribute {
    std::string oid;
    ByteView encoding; // the whole Attribute SEQUENCE
    ByteView values;
};

// One SignerInfo, every field a view into the message bytes.
struct SignerInfoView {
    ByteView encoding; // the whole SignerInfo
    uint64_t version = 0;
    SignerIdentifier sid;
    std::string digestAlgorithm;
    bool hasSignedAttributes = false;
    ByteView signedAttributes; // the whole [0] IMPLICIT element, tag included
    std::vector<SignerAttribute> attributes;
    std::string signatureAlgorithm;
    ByteView signature;

    // The signed attribute of that type, or null.
    const SignerAttribute* attribute(const std::string& oid) const;
};

// Reads a PKCS#7 / CMS SignedData (RFC 2315 / RFC 5652) without copying it: a ContentInfo of
// type signed data or a bare SignedData, DER or BER; zero bytes may follow a DER message (a
// signature taken from a zero-padded placeholder), other trailing bytes are refused. BER input
// (indefinite lengths, constructed strings) is first re-encoded as DER by OpenSSL into a buffer of
// the parser's own; every view then points into that buffer. Otherwise the views point into the
// caller's bytes, which must outlive the parser. Malformed input raises CryptException
// (CRYPT_E_ASN1_BADTAG when the bytes are no message at all, CRYPT_E_INVALID_MSG_TYPE when
// the message is not signed data, CRYPT_E_ASN1_CORRUPT / CRYPT_E_ASN1_EOD when truncated).
class SignedDataParser {
public:
    SignedDataParser(const unsigned char* data, size_t size);
    SignedDataParser(const SignedDataParser&) = delete;
    SignedDataParser& operator=(const SignedDataParser&) = delete;
    SignedDataParser(SignedDataParser&&) noexcept = default;
    SignedDataParser& operator=(SignedDataParser&&) noexcept = default;

    // The DER bytes read: the caller's, or the normalised copy.
    const unsigned char* bytes() const noexcept { return bytes_; }
    size_t size() const noexcept { return size_; }
    bool normalised() const noexcept { return !normalisedCopy_.empty(); }

    uint64_t version() const noexcept { return version_; }
    const std::vector<std::string>& digestAlgorithms() const noexcept { return digestAlgorithms_; }
    const std::string& contentType() const noexcept { return contentType_; }
    // The encapsulated content: the OCTET STRING's value, or for a PKCS#7 content of another
    // type the whole encoding inside [0]. Empty when the message carries none.
    ByteView content() const noexcept { return content_; }
    // The octets the message digest is computed over (RFC 2315 9.3: the contents octets of a
    // content that is not an OCTET STRING).
    ByteView digestedContent() const noexcept { return digested_; }
    bool detached() const noexcept { return content_.empty(); }
    // The DER of each certificate of the certificates field, in order (other choices skipped).
    const std::vector<ByteView>& certificates() const noexcept { return certificates_; }

    // The whole encodings of the parts, for writing the message again with one more signer:
    // each digest AlgorithmIdentifier, the encapsulated content info, every element of the
    // certificates field (whatever its choice), the CRLs field (empty when absent).
    const std::vector<ByteView>& digestAlgorithmElements() const noexcept {
        return digestAlgorithmElements_;
    }
    ByteView encapsulatedContentInfo() const noexcept { return encapsulated_; }
    bool hasContentField() const noexcept { return hasContentField_; }
    const std::vector<ByteView>& certificateElements() const noexcept {
        return certificateElements_;
    }
    ByteView crls() const noexcept { return crls_; }
    const std::vector<SignerInfoView>& signers() const noexcept { return signers_; }

private:
    void read();
    void readEncapsulated(DerReader& reader);
    SignerInfoView readSigner(const DerElement& element) const;

    std::vector<unsigned char> normalisedCopy_;
    const unsigned char* bytes_ = nullptr;
    size_t size_ = 0;
    uint64_t version_ = 0;
    std::vector<std::string> digestAlgorithms_;
    std::string contentType_;
    ByteView content_;
    ByteView digested_;
    std::vector<ByteView> certificates_;
    std::vector<SignerInfoView> signers_;
    std::vector<ByteView> digestAlgorithmElements_;
    ByteView encapsulated_;
    bool hasContentField_ = false;
    std::vector<ByteView> certificateElements_;
    ByteView crls_;
};

} // namespace platform::crypt

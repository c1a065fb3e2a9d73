#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace platform::crypt {

// A run of bytes inside a buffer owned elsewhere.
struct ByteSpan {
    const unsigned char* data = nullptr;
    size_t size = 0;
};

// The parts of a DER ContentInfo of type signedData (PKCS#7 or CMS), as views into the
// message: what a new signer needs to be added while every other byte stays as it was.
struct SignedDataParts {
    uint64_t version = 0;
    std::vector<ByteSpan> digestAlgorithms; // each AlgorithmIdentifier, whole
    std::vector<std::string> digestAlgorithmOids;
    ByteSpan encapContentInfo; // whole encoding
    std::string contentType;
    bool hasContent = false;
    // The octets a signer digests: the value of the OCTET STRING, or for PKCS#7 content of
    // another type the contents octets of its encoding.
    ByteSpan contentOctets;
    std::vector<ByteSpan> certificates; // each certificate, whole
    ByteSpan crls;                      // the whole [1] element, empty when absent
    std::vector<ByteSpan> signerInfos;  // each SignerInfo, whole

    // CRYPT_E_INVALID_MSG_TYPE when the ContentInfo is of another type, DerReader's codes
    // (CRYPT_E_ASN1_*) when the bytes are no DER SignedData.
    static SignedDataParts parse(const unsigned char* message, size_t size);
};

} // namespace platform::crypt

#pragma once

#include <string>
#include <vector>

#include "component/certificates/CQNCertificate_Internal.h"
#include "platform/crypt/SignedDataEncoder.h"

namespace component::signing {

// The signer entry both message signers build from a certificate handle: certificate, private
// key and digest algorithm. A handle without a key provider fails with StreamException
// QN_E_NO_PRIVATE_KEY "Falta la clave privada del certificado"; an unknown digest algorithm
// with CryptException CRYPT_E_UNKNOWN_ALGO (before any password is asked); the key's own
// failures (13 wrong password, 1223 cancelled) pass on.
platform::crypt::SignerRequest
describeSigner(const certificates::CQNCertificate_Internal& certificate,
               const std::string& hashAlgorithm);

// A digest supplied instead of the content must be exactly as long as the algorithm's
// (never more than 64 bytes): NTE_BAD_HASH otherwise, before any password is asked.
void checkSuppliedDigest(size_t size, const std::string& hashAlgorithm);

// Adds the signing-time attribute when the flag is set and the digest algorithm is not the
// OIW dsaWithSHA1 identifier.
void addSigningTime(platform::crypt::SignerRequest& request, bool signingTimeFlag);

// What a message signer puts in the message: the inner content of a ContentInfo under its
// type, the bytes themselves as data, or nothing when they are a supplied digest (the
// request then points at suppliedDigest, which must outlive it).
struct ContentToSign {
    const unsigned char* data = nullptr;
    size_t size = 0;
    std::string contentType;
};
ContentToSign chooseContent(const unsigned char* content, size_t size, bool fromHash,
                            std::vector<unsigned char>& suppliedDigest,
                            platform::crypt::SignerRequest& request);

} // namespace component::signing

#pragma once

#include <ctime>
#include <optional>
#include <vector>

#include "platform/crypt/Certificate.h"
#include "platform/crypt/SignedDataParser.h"

namespace platform::crypt {

// OIDs of the signed attributes the checks read.
inline constexpr char kContentTypeAttribute[] = "1.2.840.113549.1.9.3";
inline constexpr char kMessageDigestAttribute[] = "1.2.840.113549.1.9.4";
inline constexpr char kSigningTimeAttribute[] = "1.2.840.113549.1.9.5";

// The signer's signed attributes as they are signed: the [0] IMPLICIT element re-tagged as
// a SET (0x31). Empty when the signer has none.
std::vector<unsigned char> signedAttributesAsSet(const SignerInfoView& signer);

// The digest of bytes with the algorithm of a digest OID, computed straight from the buffer;
// CRYPT_E_UNKNOWN_ALGO for an algorithm OpenSSL does not know.
std::vector<unsigned char> digestWith(const std::string& digestOid, const unsigned char* data,
                                      size_t size);
size_t digestSize(const std::string& digestOid);

// True when the certificate is the one the signer names (issuer and serial number compared
// byte for byte, or the subject key identifier).
bool signerNames(const SignerInfoView& signer, const Certificate& certificate);

// Checks the signature value over an already computed digest with the certificate's public
// key (RSA PKCS#1 v1.5 or ECDSA, the digest algorithm of the signer). False when it does not
// verify; CRYPT_E_UNKNOWN_ALGO for another signature algorithm.
bool signatureMatches(const SignerInfoView& signer, const Certificate& certificate,
                      const std::vector<unsigned char>& digest);

// The whole check of one signer over the content: the message digest attribute (when there
// are signed attributes) against the content's digest, then the signature over the signed
// attributes or over the content's digest. Raises CryptException NTE_BAD_SIGNATURE when the
// signature or the content does not match, CRYPT_E_UNKNOWN_ALGO for an unknown digest.
void verifySignerOver(const SignerInfoView& signer, const Certificate& certificate,
                      ByteView content);

// The signing time of a signer (UTC seconds), nullopt when absent or unreadable.
std::optional<std::time_t> signingTimeOf(const SignerInfoView& signer);

} // namespace platform::crypt

#pragma once

#include <cstddef>
#include <vector>

namespace component::envelopes {

// The platform key blobs (PUBLICKEYBLOB and PRIVATEKEYBLOB, integers least significant byte
// first) of the keys raw RSA encryption takes: 512-bit RSA keys with a three-byte public
// exponent, the public one as a DER SubjectPublicKeyInfo (94 bytes, starting 30 5C), the
// private one as a DER unencrypted PKCS#8 PrivateKeyInfo (with a two-byte length between 256
// and 511). The fixed parts of both encodings are checked and every read is bounds-checked;
// a key that is not recognised gives a blob of zeros, which the key import refuses.
class RawRsaKeyBlob {
public:
    RawRsaKeyBlob() = delete;

    static std::vector<unsigned char> publicBlob(const unsigned char* der, size_t size);
    static std::vector<unsigned char> privateBlob(const unsigned char* der, size_t size);

    static constexpr size_t kPublicBlobSize = 84;
    static constexpr size_t kPrivateBlobSize = 308;
};

} // namespace component::envelopes

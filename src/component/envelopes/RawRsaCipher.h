#pragma once

#include <cstddef>

#include "stream/ByteBuffer.h"

namespace component::envelopes {

// Raw RSA encryption of a content with a key the caller supplies (see RawRsaKeyBlob), without
// certificates or message structure. For a key of B bytes the content is cut into chunks of
// k = B - 11 bytes; the last chunk holds what is left (maybe nothing), one 0xFF byte and zeros
// up to k bytes; each chunk is encrypted (RSAES-PKCS1-v1_5) into a block of B bytes written
// least significant byte first, and the blocks are concatenated.
//
// Failures are CryptException of source "ActiveX/src/QNCryptoSystem" with the line of the
// failing step, each after its TRACE line.
class RawRsaCipher {
public:
    RawRsaCipher() = delete;

    static stream::ByteBuffer encrypt(const unsigned char* key, size_t keySize,
                                      const unsigned char* content, size_t size);
    // An empty content decrypts to an empty result; a block that does not decrypt, or a
    // plaintext without its end marker, is a failure.
    static stream::ByteBuffer decrypt(const unsigned char* key, size_t keySize,
                                      const unsigned char* content, size_t size);

    static constexpr char kSource[] = "ActiveX/src/QNCryptoSystem";
    static constexpr int kLineEncryptImport = 897;
    static constexpr int kLineEncryptBlockLength = 928;
    static constexpr int kLineEncryptChunk = 966;
    static constexpr int kLineEncryptBlock = 1021;
    static constexpr int kLineDecryptImport = 1472;
    static constexpr int kLineDecryptBlockLength = 1489;
    static constexpr int kLineDecryptSize = 1499;
    static constexpr int kLineDecryptBlock = 1517;
    static constexpr int kLineDecryptMarker = 1540;

    static constexpr unsigned char kEndMarker = 0xFF;
};

} // namespace component::envelopes

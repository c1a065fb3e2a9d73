#pragma once

#include <cstdint>
#include <memory>

#include "platform/crypt/Certificate.h"
#include "platform/crypt/CryptErrors.h"
#include "platform/crypt/EnvelopedDataDecoder.h"
#include "platform/crypt/KeyProvider.h"
#include "stream/ByteBuffer.h"

namespace component::envelopes {

// The certificate of the user's "MY" store that a recipient identifier names, or null.
platform::crypt::CertificatePtr findRecipientCertificate(const platform::crypt::RecipientId& id);

// The key provider of a certificate of the "MY" store, or null when it has no usable key.
std::shared_ptr<platform::crypt::KeyProvider>
recipientKeyProvider(const platform::crypt::Certificate& certificate);

// The code logged and raised when a found certificate gives no key provider.
inline constexpr uint32_t kNoKeyProvider = platform::crypt::errors::NTE_BAD_KEYSET;

// Whether a failure to open a recipient ends the opening of the envelope instead of moving on
// to the next recipient: the user's answer to the key prompt (a wrong password, 13, or a
// cancelled prompt, 1223), a content algorithm the OpenSSL providers do not offer
// (NTE_BAD_ALGID) or an encrypted content too large to open (NTE_BAD_LEN): no other recipient
// would change those.
bool endsTheWalk(uint32_t code);

// Opens recipient `index` of the decoder (its encrypted key `keyIndex`) with the private key of
// a certificate found in the "MY" store, with the log lines of the envelopers: a certificate
// without a key provider is a WARNING "Decrypt context fail: " and CryptException
// (source, contextLine, NTE_BAD_KEYSET); a key that cannot be loaded or does not open the
// content an ERROR "Decrypt fail: " and CryptException (source, decryptLine, its code).
stream::ByteBuffer openWithCertificate(platform::crypt::EnvelopedDataDecoder& decoder, size_t index,
                                       size_t keyIndex,
                                       const platform::crypt::Certificate& certificate,
                                       const char* source, int contextLine, int decryptLine);

} // namespace component::envelopes

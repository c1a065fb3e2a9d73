#pragma once

#include <cstddef>

#include "component/envelopes/IQNRecipients.h"
#include "stream/ByteBuffer.h"

namespace component::envelopes {

// Where an enveloper's encryption steps fail: its source and the line of each step.
struct EncryptionSteps {
    const char* source;
    int length;         // the algorithm and the size of the message
    int open;           // the recipients (the content key encrypted for each)
    int update;         // the content encrypted into the message
    bool cmsRecipients; // CMS recipient list: writes the "KeyTrans" and "Recipient number" lines
};

// The enveloped-data message of the content for the certificates of recipients, with the
// content-encryption algorithm of the "SymmmetricCryptAlgorithm" setting (a dotted
// identifier) and, when the content is itself a PKCS#7 / CMS message, its type as inner
// content type. Raises "No se han especificado destinatarios" (QN_E_ENCRYPT_SETUP) without
// recipients, CryptException of the failing step otherwise.
stream::ByteBuffer envelopeContent(const unsigned char* content, size_t size,
                                   IQNRecipients* recipients, const EncryptionSteps& steps);

} // namespace component::envelopes

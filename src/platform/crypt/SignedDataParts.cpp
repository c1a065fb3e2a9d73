#include "platform/crypt/SignedDataParts.h"

#include "platform/crypt/CryptErrors.h"
#include "platform/crypt/DerReader.h"

namespace platform::crypt {

namespace {

constexpr const char* kSignedData = "1.2.840.113549.1.7.2";

ByteSpan whole(const unsigned char* base, const DerElement& e) {
    return {e.begin(base), e.totalLength()};
}

} // namespace

SignedDataParts SignedDataParts::parse(const unsigned char* message, size_t size) {
    if (message == nullptr || size == 0) {
        raiseCrypt(__FILE__, __LINE__, errors::CRYPT_E_ASN1_EOD);
    }
    DerReader top(message, size, message);
    DerElement contentInfo = top.expect(0x30);
    // Zero bytes may follow (a signature taken from a zero-padded placeholder); anything
    // else after the message is not part of a DER message.
    for (size_t i = contentInfo.end(); i < size; ++i) {
        if (message[i] != 0) {
            raiseCrypt(__FILE__, __LINE__, errors::CRYPT_E_ASN1_CORRUPT);
        }
    }
    DerReader ci = top.inside(contentInfo);
    if (oidText(ci.expect(0x06)) != kSignedData) {
        raiseCrypt(__FILE__, __LINE__, errors::CRYPT_E_INVALID_MSG_TYPE);
    }
    DerReader explicitContent = ci.inside(ci.expect(0xA0));
    DerReader sd = explicitContent.inside(explicitContent.expect(0x30));

    SignedDataParts parts;
    parts.version = integerValue(sd.expect(0x02));

    DerElement algorithms = sd.expect(0x31);
    for (DerReader r = sd.inside(algorithms); !r.atEnd();) {
        DerElement algorithm = r.expect(0x30);
        DerReader inner = r.inside(algorithm);
        parts.digestAlgorithmOids.push_back(oidText(inner.expect(0x06)));
        parts.digestAlgorithms.push_back(whole(message, algorithm));
    }

    DerElement encap = sd.expect(0x30);
    parts.encapContentInfo = whole(message, encap);
    DerReader encapReader = sd.inside(encap);
    parts.contentType = oidText(encapReader.expect(0x06));
    if (!encapReader.atEnd()) {
        DerReader explicitInner = encapReader.inside(encapReader.expect(0xA0));
        DerElement inner = explicitInner.next();
        parts.hasContent = true;
        parts.contentOctets = {inner.value, inner.length};
    }

    if (sd.peekTag() == 0xA0) {
        for (DerReader r = sd.inside(sd.next()); !r.atEnd();) {
            parts.certificates.push_back(whole(message, r.next()));
        }
    }
    if (sd.peekTag() == 0xA1) {
        parts.crls = whole(message, sd.next());
    }
    DerElement signers = sd.expect(0x31);
    for (DerReader r = sd.inside(signers); !r.atEnd();) {
        parts.signerInfos.push_back(whole(message, r.expect(0x30)));
    }
    if (!sd.atEnd()) {
        raiseCrypt(__FILE__, __LINE__, errors::CRYPT_E_ASN1_CORRUPT);
    }
    return parts;
}

} // namespace platform::crypt

// Reads arbitrary bytes as a PKCS#7 / CMS SignedData and walks every view the reader gives:
// the fields the verifier reads and the whole parts a co-signature writes again.
#include "platform/crypt/SignedDataParser.h"

#include <cstddef>
#include <cstdint>

#include "stream/exceptions/StreamException.h"

namespace {

// Touches every byte of a view, so a view past its buffer is an ASan report.
size_t touch(const platform::crypt::ByteView& view) {
    size_t sum = 0;
    for (size_t i = 0; i < view.size; ++i) {
        sum += view.data[i];
    }
    return sum;
}

size_t readAsVerifier(const uint8_t* data, size_t size) {
    platform::crypt::SignedDataParser parser(data, size);
    size_t sum = touch(parser.content()) + touch(parser.digestedContent());
    for (const auto& certificate : parser.certificates()) {
        sum += touch(certificate);
    }
    for (const auto& element : parser.certificateElements()) {
        sum += touch(element);
    }
    for (const auto& algorithm : parser.digestAlgorithmElements()) {
        sum += touch(algorithm);
    }
    sum += touch(parser.encapsulatedContentInfo()) + touch(parser.crls());
    for (const auto& signer : parser.signers()) {
        sum += touch(signer.encoding) + touch(signer.sid.issuer) + touch(signer.sid.serialNumber) +
               touch(signer.sid.keyIdentifier) + touch(signer.signedAttributes) +
               touch(signer.signature);
        for (const auto& attribute : signer.attributes) {
            sum += touch(attribute.encoding) + touch(attribute.values);
        }
        sum += signer.attribute("1.2.840.113549.1.9.5") != nullptr;
    }
    return sum;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    volatile size_t sink = 0;
    try {
        sink = sink + readAsVerifier(data, size);
    } catch (const stream::exceptions::StreamException&) {
    }
    return 0;
}

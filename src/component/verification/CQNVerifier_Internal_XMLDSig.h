#pragma once

#include <map>
#include <string>
#include <vector>

#include <xercesc/dom/DOMDocument.hpp>
#include <xercesc/dom/DOMElement.hpp>
#include <xsec/framework/XSECProvider.hpp>
#include <xsec/framework/XSECURIResolver.hpp>

#include "component/verification/CQNVerifier_Internal.h"
#include "component/verification/StreamedMessage.h"
#include "component/verification/XadesChecks.h"

namespace component::verification {

// The verifier of XML signatures (XML-DSig, with the XAdES properties this component writes)
// for the modes MT_XMLDSIG and MT_XMLENC. verify() checks every ds:Signature of the document
// in document order: one status per X.509 certificate of its KeyInfo, the certificate's chain
// judged at the signing time the signature states (or now). Then the content of the first
// signature is kept, the XML Encryption elements of the document are decrypted with the
// user's keys, and the XAdES properties are checked. Results: 1 every signature holds, 0 a
// check failed or nothing was verified, 5 something was decrypted.
//
// The message is untrusted: it is read by the XML layer's safe parser, which never opens
// external DTDs or entities and refuses entity declarations; text that is not XML reads as an
// empty document.
class CQNVerifier_Internal_XMLDSig final : public CQNVerifier_Internal {
public:
    CQNVerifier_Internal_XMLDSig();
    ~CQNVerifier_Internal_XMLDSig() override;

    int verify(const unsigned char* message, size_t messageSize,
               const unsigned char* detachedContent, size_t detachedSize, bool detached,
               int level) override;
    com::ComPtr<QNVerifyStatus> getStatus(long index) override;
    stream::ByteBuffer getContent() override;
    int isDetached(const unsigned char* message, size_t messageSize) override;
    bool getSigners(const unsigned char* message, size_t messageSize, bool detached) override;

    static constexpr char kNoError[] = "No error";

private:
    // What one verify() shares with its steps.
    struct Run {
        xercesc::DOMDocument* document = nullptr;
        const StreamedMessage* streamed = nullptr; // when the document is its skeleton
        XSECProvider* provider = nullptr;
        XSECURIResolver* resolver = nullptr;
        std::string encoding;
        std::string suppliedDigest; // with "SignFromHash" = "TRUE"
        bool signFromHash = false;
        int level = 0;
        int result = 1;
        std::map<size_t, XadesSignerRecord> records;
    };

    // The checks of signature k; false when its signing time cannot be read (verify ends).
    bool verifySignature(Run& run, xercesc::DOMElement& element, size_t k);
    // The document without signature: every encrypted element decrypted, one status each.
    int decryptOnly(Run& run);
    // Content, second decryption pass and XAdES checks of a signed document.
    void afterSignatures(Run& run, xercesc::DOMElement& first, size_t firstStatus);

    std::vector<com::ComPtr<QNVerifyStatus>> statuses_;
    std::string content_;
};

} // namespace component::verification

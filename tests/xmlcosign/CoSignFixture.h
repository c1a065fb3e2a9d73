#pragma once

#include <string>
#include <vector>

#include "XmlSignFixture.h"

// One signer's outcome as the XML verifier reports it.
struct CoSignStatus {
    long idError = 0;
    std::string description;
};

// Co-signing and counter-signing XML signatures: the XML signer's fixture, the test root
// trusted in the user's ROOT store, QNSignData.cosign as a script calls it, our verifier and
// xmlsec1 over every signature of a document.
class CoSignTest : public XmlSignTest {
protected:
    void SetUp() override;

    // QNSignData.cosign with the XML-DSig signer (no detached content).
    Result cosign(const std::string& signedDocument, bool detached = false, bool timeStamp = false,
                  component::certificates::QNCertificate* who = nullptr);
    std::string cosignOk(const std::string& signedDocument, bool timeStamp = false,
                         component::certificates::QNCertificate* who = nullptr);

    // QNVerifier with the XML verifier: one status per signature, in document order.
    std::vector<CoSignStatus> verifyStatuses(const std::string& document, long* result = nullptr);
    // Every status "No error" and as many as the document has signatures.
    // extraOptions go to xmlsec1 (--id-attr of the document's own Ids, ...).
    void expectAllVerify(const std::string& document, const std::string& extraOptions = "");
    // xmlsec1 --verify of each signature of the document by its Id (--node-id), the root
    // trusted, the Ids of signatures, signature values and signed properties declared; the
    // Ids that fail.
    std::vector<std::string> xmlsecFailures(const std::string& document,
                                            const std::string& extraOptions = "");

    // The Ids of the XML-DSig signatures of a document, in document order.
    static std::vector<std::string> signatureIds(const std::string& document);
    // Keeps the document as a seed of the XML verifier's fuzz target when XMLVERIFY_SEED_DIR
    // names a folder.
    static void keepSeed(const std::string& name, const std::string& document);
};

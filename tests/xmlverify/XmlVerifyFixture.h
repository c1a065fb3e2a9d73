#pragma once

#include <string>

#include "VerificationFixture.h"

// XML signatures made by xmlsec1 from templates with the fixture's PKI (root trusted in the
// user's ROOT store), verified through a QNVerifier with the XML-DSig verifier.
class XmlVerifyTest : public VerificationTest {
protected:
    XmlVerifyTest();

    // Signs the template with xmlsec1 (by default with the fixture's signer) and returns the
    // signed document. options go before the input file (--id-attr, --node-id, ...).
    std::string xmlsecSign(const std::string& templateText, const std::string& options = "",
                           const std::string& identity = "");
    // Encrypts the element named `node` of the document for the certificate with xmlsec1,
    // from the template.
    std::string xmlsecEncrypt(const std::string& document, const std::string& templateText,
                              const std::string& node, const std::string& certificatePem);
    Verification verifyXml(const std::string& document, const std::string& detached = "",
                           bool detachedFlag = false);
    // The fixture's signer certificate and key in the user's MY store (as a recipient).
    void signerInMyStore();

    // A name for the files of this test, unique within it.
    std::string nextName(const std::string& stem);

private:
    void keepSeed(const std::string& name, const std::string& bytes);

    int files_ = 0;
};

// Pieces of templates.
namespace xmltemplate {

inline const std::string kDsig = "http://www.w3.org/2000/09/xmldsig#";
inline const std::string kXades122 = "http://uri.etsi.org/01903/v1.2.2#";
inline const std::string kRsaSha1 = "http://www.w3.org/2000/09/xmldsig#rsa-sha1";

// KeyInfo for xmlsec1 to fill with the signer's certificate, put after SignatureValue.
std::string withKeyInfo(std::string signatureTemplate);

// A ds:Signature template with Id, references (DsigTemplates' reference()), KeyInfo and the
// objects given.
std::string signature(const std::string& id, const std::string& references,
                      const std::string& objects = "", const std::string& namespaces = "");

// The XML declaration Xerces' DOM writer gives an empty document in UTF-8.
inline const std::string kEmptyDocument =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\" ?>";

} // namespace xmltemplate

#include "XmlVerifyFixture.h"

#include <cstdlib>
#include <memory>

#include "DsigTemplates.h"
#include "component/verification/CQNVerifier_Internal_XMLDSig.h"
#include "platform/stores/FolderStore.h"

XmlVerifyTest::XmlVerifyTest() {
    trustRoot();
}

std::string XmlVerifyTest::nextName(const std::string& stem) {
    return stem + std::to_string(++files_);
}

void XmlVerifyTest::keepSeed(const std::string& name, const std::string& bytes) {
    // Seeds for the fuzz target, when asked for (XMLVERIFY_SEED_DIR).
    const char* seeds = std::getenv("XMLVERIFY_SEED_DIR");
    if (seeds != nullptr && !bytes.empty()) {
        std::string test = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        testpki::writeFile(std::string(seeds) + "/" + test + "-" + name + ".xml", bytes);
    }
}

std::string XmlVerifyTest::xmlsecSign(const std::string& templateText, const std::string& options,
                                      const std::string& identity) {
    std::string base = identity.empty() ? signerPath : identity;
    std::string name = nextName("template");
    testpki::writeFile(path(name + ".xml"), templateText);
    std::string output;
    int status =
        testpki::run("xmlsec1 --sign --privkey-pem " + base + ".key," + base + ".pem " + options +
                         " --output " + path(name + ".signed.xml") + " " + path(name + ".xml"),
                     &output);
    EXPECT_EQ(status, 0) << output;
    std::string signedText = status == 0 ? fileBytes(path(name + ".signed.xml")) : "";
    keepSeed(name, signedText);
    return signedText;
}

std::string XmlVerifyTest::xmlsecEncrypt(const std::string& document,
                                         const std::string& templateText, const std::string& node,
                                         const std::string& certificatePem) {
    std::string name = nextName("encrypt");
    testpki::writeFile(path(name + ".data.xml"), document);
    testpki::writeFile(path(name + ".template.xml"), templateText);
    std::string output;
    int status = testpki::run("xmlsec1 --encrypt --pubkey-cert-pem " + certificatePem +
                                  " --session-key aes-128 --xml-data " + path(name + ".data.xml") +
                                  " --node-name " + node + " --output " + path(name + ".out.xml") +
                                  " " + path(name + ".template.xml"),
                              &output);
    EXPECT_EQ(status, 0) << output;
    std::string encrypted = status == 0 ? fileBytes(path(name + ".out.xml")) : "";
    keepSeed(name, encrypted);
    return encrypted;
}

Verification XmlVerifyTest::verifyXml(const std::string& document, const std::string& detached,
                                      bool detachedFlag) {
    return verifyWith(std::make_unique<component::verification::CQNVerifier_Internal_XMLDSig>(),
                      document, detached, detachedFlag);
}

void XmlVerifyTest::signerInMyStore() {
    platform::stores::FolderStore::open(platform::stores::StoreLocation::CurrentUser, "MY", false)
        ->add(signer.certificate, signer.key.get(), "");
}

namespace xmltemplate {

std::string withKeyInfo(std::string signatureTemplate) {
    const std::string end = "</ds:SignatureValue>";
    size_t at = signatureTemplate.find(end);
    if (at != std::string::npos) {
        signatureTemplate.insert(at + end.size(), "<ds:KeyInfo><ds:X509Data/></ds:KeyInfo>");
    }
    return signatureTemplate;
}

std::string signature(const std::string& id, const std::string& references,
                      const std::string& objects, const std::string& namespaces) {
    return "<ds:Signature xmlns:ds=\"" + kDsig + "\"" +
           (namespaces.empty() ? "" : " " + namespaces) + (id.empty() ? "" : " Id=\"" + id + "\"") +
           "><ds:SignedInfo>" + "<ds:CanonicalizationMethod Algorithm=\"" + dsigtemplate::kC14n +
           "\"/>" + "<ds:SignatureMethod Algorithm=\"" + kRsaSha1 + "\"/>" + references +
           "</ds:SignedInfo><ds:SignatureValue/><ds:KeyInfo><ds:X509Data/></ds:KeyInfo>" + objects +
           "</ds:Signature>";
}

} // namespace xmltemplate

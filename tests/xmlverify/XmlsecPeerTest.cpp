// Signatures made by xmlsec1 (libxmlsec1 over libxml2, which runs XPath and XPath Filter 2.0
// itself) from templates, verified by the XML verifier: what a peer signs verifies, and what
// was changed afterwards does not.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "DsigTemplates.h"
#include "TestServer.h"
#include "XmlVerifyFixture.h"
#include "platform/certificates/ChainValidation.h"

using namespace dsigtemplate;

namespace {

const std::string kSubject = "CN=Firmante Uno, O=Quillion, C=ES";

std::string replaced(std::string text, const std::string& from, const std::string& to) {
    size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos) {
        text.replace(at, from.size(), to);
    }
    return text;
}

// One valid signer with the fixture's certificate, level 0.
void expectOneValidSigner(const Verification& v) {
    EXPECT_EQ(v.hr, S_OK);
    EXPECT_EQ(v.result, 1);
    ASSERT_EQ(v.statuses.size(), 1u);
    EXPECT_EQ(v.statuses[0].idError, 0);
    EXPECT_EQ(v.statuses[0].description, "No error");
    EXPECT_EQ(v.statuses[0].level, 0);
    EXPECT_EQ(v.statuses[0].subject, kSubject);
}

} // namespace

class XmlsecPeer : public XmlVerifyTest {
protected:
    // The whole document signed (enveloped) by another identity.
    std::string envelopedBy(const std::string& identity) {
        return xmlsecSign(
            document(xmltemplate::withKeyInfo(signature({reference("", {transform(kEnveloped)})}))),
            "", identity);
    }
};

TEST_F(XmlsecPeer, EnvelopedWholeDocument) {
    std::string signedText = xmlsecSign(document(xmltemplate::withKeyInfo(
        signature({reference("", {transform(kEnveloped), transform(kC14n)})}))));
    Verification v = verifyXml(signedText);
    expectOneValidSigner(v);
    // The content is the first reference's octets: the canonical document without signature.
    EXPECT_EQ(v.content.rfind(xmltemplate::kEmptyDocument, 0), 0u) << v.content;
    EXPECT_NE(v.content.find("<doc xmlns=\"urn:example:default\""), std::string::npos);
    EXPECT_NE(v.content.find("Acentos: ñ, á, € y 𝄞"), std::string::npos);
    EXPECT_EQ(v.content.find("SignatureValue"), std::string::npos);
}

TEST_F(XmlsecPeer, IdReferences) {
    expectOneValidSigner(verifyXml(xmlsecSign(document(xmltemplate::withKeyInfo(signature({
                                                  reference("#p1", {transform(kC14n)}),
                                                  reference("#p2", {transform(kC14nComments)}),
                                                  reference("#s1", {}),
                                                  reference("#p3", {transform(kC14n)}, kSha256),
                                              }))),
                                              kDocumentIds)));
}

TEST_F(XmlsecPeer, ExclusiveCanonicalization) {
    expectOneValidSigner(verifyXml(
        xmlsecSign(document(xmltemplate::withKeyInfo(signature({
                       reference("#p2", {transform(kExclusive)}),
                       reference("#p3", {exclusive("z")}),
                       reference("", {transform(kEnveloped), transform(kExclusiveComments)}),
                   }))),
                   kDocumentIds)));
}

TEST_F(XmlsecPeer, XPathTransform) {
    std::string signedText = xmlsecSign(document(xmltemplate::withKeyInfo(signature({
        reference("", {transform(kEnveloped), xpath("not(ancestor-or-self::ds:Signature)"),
                       transform(kC14n)}),
    }))));
    Verification v = verifyXml(signedText);
    expectOneValidSigner(v);
    // The content comes from the same transforms.
    EXPECT_NE(v.content.find("<x:secret Id=\"s1\">"), std::string::npos) << v.content;
    EXPECT_EQ(v.content.find("SignatureValue"), std::string::npos);
}

TEST_F(XmlsecPeer, XPathFilter2Subtract) {
    const std::string x = "xmlns:x=\"urn:example:x\"";
    expectOneValidSigner(verifyXml(xmlsecSign(document(xmltemplate::withKeyInfo(signature({
        reference("", {filter2({{"subtract", "here()/ancestor::ds:Signature[1]"}})}),
        reference("", {filter2({{"subtract", "here()/ancestor::ds:Signature[1]"},
                                {"subtract", "//x:secret"}},
                               x),
                       transform(kExclusive)}),
    }))))));
}

TEST_F(XmlsecPeer, EnvelopingContentIsTheObject) {
    std::string signedText = xmlsecSign(
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n" +
        xmltemplate::signature(
            "Signature1", reference("#Signature1-Object1", {transform(kC14n)}),
            "<ds:Object Id=\"Signature1-Object1\"><pedido><linea cantidad=\"2\">Café</linea>"
            "</pedido></ds:Object>"));
    Verification v = verifyXml(signedText);
    expectOneValidSigner(v);
    EXPECT_EQ(v.content,
              xmltemplate::kEmptyDocument + "<pedido><linea cantidad=\"2\">Café</linea></pedido>");
}

TEST_F(XmlsecPeer, ChangedContentFailsWithTheLibraryMessage) {
    std::string signedText = xmlsecSign(document(xmltemplate::withKeyInfo(signature({
                                            reference("#p1", {transform(kC14n)}),
                                            reference("#s1", {transform(kC14n)}),
                                        }))),
                                        kDocumentIds);
    ASSERT_EQ(verifyXml(signedText).result, 1);
    Verification v = verifyXml(replaced(signedText, ">secret<", ">secreto<"));
    EXPECT_EQ(v.hr, S_OK);
    EXPECT_EQ(v.result, 0);
    ASSERT_EQ(v.statuses.size(), 1u);
    EXPECT_EQ(v.statuses[0].idError, -1);
    EXPECT_EQ(v.statuses[0].description, "Reference URI=\"#s1\" failed to verify\n");
    EXPECT_EQ(v.statuses[0].subject, kSubject);
}

TEST_F(XmlsecPeer, ChangedContentUnderAnXPathTransformFails) {
    std::string signedText = xmlsecSign(document(xmltemplate::withKeyInfo(signature({
        reference("", {transform(kEnveloped), xpath("not(ancestor-or-self::ds:Signature)"),
                       transform(kC14n)}),
    }))));
    Verification v = verifyXml(replaced(signedText, ">kept<", ">changed<"));
    EXPECT_EQ(v.result, 0);
    ASSERT_EQ(v.statuses.size(), 1u);
    EXPECT_EQ(v.statuses[0].idError, -1);
    EXPECT_EQ(v.statuses[0].description, "Reference URI=\"\" failed to verify\n");
}

TEST_F(XmlsecPeer, ChangedSignatureValueFails) {
    std::string signedText = xmlsecSign(document(xmltemplate::withKeyInfo(
        signature({reference("", {transform(kEnveloped), transform(kC14n)})}))));
    size_t value = signedText.find("<ds:SignatureValue>") + 19;
    signedText[value] = signedText[value] == 'A' ? 'B' : 'A';
    Verification v = verifyXml(signedText);
    EXPECT_EQ(v.result, 0);
    ASSERT_EQ(v.statuses.size(), 1u);
    EXPECT_EQ(v.statuses[0].idError, -1);
    EXPECT_EQ(v.statuses[0].description, "Validation of <SignedInfo> failed");
}

TEST_F(XmlsecPeer, ChangedReferenceAndValueGiveBothMessages) {
    std::string signedText = xmlsecSign(
        document(xmltemplate::withKeyInfo(signature({reference("#p1", {transform(kC14n)})}))),
        kDocumentIds);
    signedText = replaced(signedText, "Acentos", "Acento");
    signedText = replaced(signedText, "<ds:SignatureMethod", "<ds:SignatureMethod Id=\"m\"");
    Verification v = verifyXml(signedText);
    EXPECT_EQ(v.result, 0);
    ASSERT_EQ(v.statuses.size(), 1u);
    EXPECT_EQ(v.statuses[0].description, "Reference URI=\"#p1\" failed to verify\n"
                                         "Validation of <SignedInfo> failed");
}

TEST_F(XmlsecPeer, ReferenceToAnUnknownIdFailsTheSignature) {
    std::string signedText = xmlsecSign(
        document(xmltemplate::withKeyInfo(signature({reference("#p1", {transform(kC14n)})}))),
        kDocumentIds);
    // The Id is gone (and the signature value no longer matches either).
    Verification v = verifyXml(replaced(signedText, "URI=\"#p1\"", "URI=\"#nowhere\""));
    EXPECT_EQ(v.hr, S_OK);
    EXPECT_EQ(v.result, 0);
    ASSERT_EQ(v.statuses.size(), 1u);
    EXPECT_EQ(v.statuses[0].idError, -1);
    EXPECT_EQ(v.statuses[0].description.rfind("Reference URI=\"#nowhere\" failed to verify: ", 0),
              0u)
        << v.statuses[0].description;
}

TEST_F(XmlsecPeer, SignerOfAnUntrustedRootFailsTheChainCheck) {
    testpki::Issued otherRoot = testpki::issue(
        {.subject = "CN=Otra Raiz, O=Quillion, C=ES", .ca = true, .serial = 40}, nullptr);
    testpki::Issued stranger = testpki::issue({.subject = "CN=Desconocido, O=Quillion, C=ES",
                                               .keyUsage = "digitalSignature",
                                               .serial = 41},
                                              &otherRoot);
    Verification v = verifyXml(envelopedBy(writeIdentity("stranger", stranger)));
    EXPECT_EQ(v.result, 0);
    ASSERT_EQ(v.statuses.size(), 1u);
    EXPECT_LT(v.statuses[0].idError, 0);
    EXPECT_EQ(v.statuses[0].description,
              platform::certificates::chainStatusText(v.statuses[0].idError));
    EXPECT_EQ(v.statuses[0].subject, "CN=Desconocido, O=Quillion, C=ES");
}

TEST_F(XmlsecPeer, ExpiredSignerIsNotValidAtTheCurrentTime) {
    testpki::Issued expired = testpki::issue({.subject = "CN=Caducado, O=Quillion, C=ES",
                                              .notBeforeOffset = -10L * 86400,
                                              .notAfterOffset = -86400,
                                              .serial = 9},
                                             &root);
    Verification v = verifyXml(envelopedBy(writeIdentity("expired", expired)));
    EXPECT_EQ(v.result, 0);
    ASSERT_EQ(v.statuses.size(), 1u);
    EXPECT_EQ(v.statuses[0].idError, -101);
    EXPECT_EQ(v.statuses[0].description, platform::certificates::chainStatusText(-101));
}

// References outside the document: what can be fetched is digested, what cannot fails the
// signature (never a pass).
class RemoteReferences : public XmlVerifyTest {
protected:
    void SetUp() override {
        files_ = path("served");
        std::filesystem::create_directories(files_);
        testpki::writeFile(files_ + "/data.bin", std::string("datos\0binarios\r\n", 16));
        testpki::writeFile(files_ + "/doc.xml", "<?xml version=\"1.0\"?>\n<a  b='1'><c/></a>\n");
        server_ = std::make_unique<TestServer>(std::vector<std::string>{"--files", files_});
    }

    // A detached signature of the URLs (the second one canonicalised).
    std::string signUrls(const std::string& binary, const std::string& xml) {
        return xmlsecSign(
            "<?xml version=\"1.0\"?>\n" +
            xmltemplate::signature("Signature1",
                                   reference(binary, {}) + reference(xml, {transform(kC14n)})));
    }

    std::string files_;
    std::unique_ptr<TestServer> server_;
};

TEST_F(RemoteReferences, FetchedOverHttpAndFromFiles) {
    expectOneValidSigner(
        verifyXml(signUrls(server_->url("/files/data.bin"), server_->url("/files/doc.xml"))));
    expectOneValidSigner(
        verifyXml(signUrls("file://" + files_ + "/data.bin", "file://" + files_ + "/doc.xml")));
}

TEST_F(RemoteReferences, ChangedRemoteDataFails) {
    std::string signedText =
        signUrls(server_->url("/files/data.bin"), server_->url("/files/doc.xml"));
    testpki::writeFile(files_ + "/data.bin", "otros datos");
    Verification v = verifyXml(signedText);
    EXPECT_EQ(v.result, 0);
    ASSERT_EQ(v.statuses.size(), 1u);
    EXPECT_EQ(v.statuses[0].idError, -1);
    EXPECT_EQ(v.statuses[0].description,
              "Reference URI=\"" + server_->url("/files/data.bin") + "\" failed to verify\n");
}

TEST_F(RemoteReferences, DataThatIsGoneFails) {
    std::string signedText =
        signUrls(server_->url("/files/data.bin"), server_->url("/files/doc.xml"));
    std::remove((files_ + "/data.bin").c_str());
    Verification v = verifyXml(signedText);
    EXPECT_EQ(v.result, 0);
    ASSERT_EQ(v.statuses.size(), 1u);
    EXPECT_EQ(v.statuses[0].idError, -1);
    EXPECT_EQ(v.statuses[0].description.rfind(
                  "Reference URI=\"" + server_->url("/files/data.bin") + "\" failed to verify", 0),
              0u)
        << v.statuses[0].description;
}

TEST_F(RemoteReferences, ServerThatIsGoneFails) {
    std::string signedText =
        signUrls(server_->url("/files/data.bin"), server_->url("/files/doc.xml"));
    server_.reset();
    Verification v = verifyXml(signedText);
    EXPECT_EQ(v.result, 0);
    ASSERT_EQ(v.statuses.size(), 1u);
    EXPECT_EQ(v.statuses[0].idError, -1);
    EXPECT_NE(v.statuses[0].description.find("failed to verify"), std::string::npos);
}

TEST_F(XmlsecPeer, EnvelopedTransformAloneKeepsTheOtherSignaturesInTheDigest) {
    // The first signature is made alone; the second is added and signed after it. The first
    // one's enveloped transform now also covers the second (changed since), so it fails; the
    // second one's covers the first as it stands, so it holds. A verifier that left every
    // signature out of both digests would judge them the other way round.
    const std::string onlyEnveloped = reference("", {transform(kEnveloped), transform(kC14n)});
    std::string first = xmlsecSign(document(xmltemplate::signature("first", onlyEnveloped)),
                                   "--id-attr:Id Signature");
    const size_t end = first.rfind("</doc>");
    ASSERT_NE(end, std::string::npos);
    first.insert(end, xmltemplate::signature("second", onlyEnveloped));
    std::string both = xmlsecSign(first, "--id-attr:Id Signature --node-id second");
    Verification v = verifyXml(both);
    EXPECT_EQ(v.result, 0);
    ASSERT_EQ(v.statuses.size(), 2u);
    EXPECT_EQ(v.statuses[0].idError, -1);
    EXPECT_EQ(v.statuses[1].idError, 0) << v.statuses[1].description;
}

// The reference digester against xmlsec1 (libxmlsec1 over libxml2, which runs XPath and XPath
// Filter 2.0 transforms itself): templates signed by `xmlsec1 --sign` with a key made by
// openssl, and every DigestValue it wrote computed again here.
#include <memory>
#include <string>

#include <gtest/gtest.h>
#include <xercesc/dom/DOMDocument.hpp>
#include <xercesc/dom/DOMElement.hpp>

#include "DsigTemplates.h"
#include "TestPki.h"
#include "XmlTestSupport.h"
#include "platform/xml/DomLookup.h"
#include "platform/xml/ReferenceDigester.h"
#include "platform/xml/XmlDsigNames.h"
#include "stream/Base64.h"

using namespace dsigtemplate;
using platform::xml::ReferenceDigester;

namespace {

std::string base64(const std::vector<unsigned char>& bytes) {
    return stream::Base64::encode(
        std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

} // namespace

class ReferenceDigesterPeer : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        folder_ = std::make_unique<testpki::TempHome>();
        key_ = folder_->path() + "/key.pem";
        certificate_ = folder_->path() + "/cert.pem";
        std::string output;
        ASSERT_EQ(testpki::run("openssl genrsa -out " + key_ + " 2048", &output), 0) << output;
        ASSERT_EQ(testpki::run("openssl req -new -x509 -key " + key_ + " -out " + certificate_ +
                                   " -subj /CN=xmlsec1-peer -days 2",
                               &output),
                  0)
            << output;
    }
    static void TearDownTestSuite() { folder_.reset(); }

    // Signs the template with xmlsec1 and expects the digester to compute each DigestValue
    // xmlsec1 wrote, leaving the document as it was.
    void expectDigestsOfXmlsec1(const std::string& documentTemplate, size_t references,
                                const std::string& idOptions = kDocumentIds) {
        std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        std::string input = folder_->path() + "/" + name + ".xml";
        std::string signedPath = folder_->path() + "/" + name + ".signed.xml";
        testpki::writeFile(input, documentTemplate);
        std::string output;
        ASSERT_EQ(testpki::run("xmlsec1 --sign --privkey-pem " + key_ + "," + certificate_ + " " +
                                   idOptions + " --output " + signedPath + " " + input,
                               &output),
                  0)
            << output;

        auto document = xmltest::parse(testpki::readFile(signedPath));
        std::string before = xmltest::serialize(*document);
        auto found = platform::xml::descendantElements(*document, platform::xml::dsig::kNamespace,
                                                       "Reference");
        ASSERT_EQ(found.size(), references);
        for (size_t i = 0; i < found.size(); ++i) {
            auto& reference = const_cast<xercesc::DOMElement&>(*found[i]);
            SCOPED_TRACE("reference " + std::to_string(i) + " URI=\"" +
                         platform::xml::attributeText(reference, "URI") + "\"");
            std::vector<unsigned char> stored = ReferenceDigester::storedDigest(reference);
            ASSERT_FALSE(stored.empty());
            EXPECT_TRUE(ReferenceDigester::handles(reference));
            EXPECT_EQ(base64(ReferenceDigester::digest(reference)), base64(stored));
            EXPECT_EQ(xmltest::serialize(*document), before);
        }
    }

    static std::unique_ptr<testpki::TempHome> folder_;
    static std::string key_;
    static std::string certificate_;
};

std::unique_ptr<testpki::TempHome> ReferenceDigesterPeer::folder_;
std::string ReferenceDigesterPeer::key_;
std::string ReferenceDigesterPeer::certificate_;

TEST_F(ReferenceDigesterPeer, WholeDocumentEnveloped) {
    expectDigestsOfXmlsec1(document(signature({
                               reference("", {transform(kEnveloped), transform(kC14n)}),
                               reference("", {transform(kEnveloped), transform(kC14nComments)}),
                               reference("", {transform(kEnveloped)}),
                               reference("", {transform(kEnveloped), transform(kC14n)}, kSha256),
                           })),
                           4);
}

TEST_F(ReferenceDigesterPeer, IdReferences) {
    expectDigestsOfXmlsec1(document(signature({
                               reference("#p1", {transform(kC14n)}),
                               reference("#p2", {transform(kC14n)}),
                               reference("#p3", {transform(kC14nComments)}),
                               reference("#s1", {}),
                               reference("#p2", {transform(kC14n)}, kSha256),
                           })),
                           5);
}

TEST_F(ReferenceDigesterPeer, ExclusiveCanonicalization) {
    expectDigestsOfXmlsec1(document(signature({
                               reference("#p1", {transform(kExclusive)}),
                               reference("#p2", {transform(kExclusive)}),
                               reference("#p3", {transform(kExclusive)}),
                               reference("", {transform(kEnveloped), transform(kExclusive)}),
                               reference("#p2", {transform(kExclusiveComments)}),
                           })),
                           5);
}

TEST_F(ReferenceDigesterPeer, ExclusiveCanonicalizationWithPrefixList) {
    expectDigestsOfXmlsec1(document(signature({
                               reference("#p2", {exclusive("y #default")}),
                               reference("#p2", {exclusive("x unused")}),
                               reference("#p3", {exclusive("z")}),
                               reference("", {transform(kEnveloped), exclusive("#default y")}),
                               reference("#s1", {exclusive("unused", true)}),
                           })),
                           5);
}

TEST_F(ReferenceDigesterPeer, XPointersKeepComments) {
    expectDigestsOfXmlsec1(
        document(signature({
            reference("#xpointer(/)", {transform(kEnveloped), transform(kC14nComments)}),
            reference("#xpointer(/)", {transform(kEnveloped), transform(kC14n)}),
            reference("#xpointer(id('p2'))", {transform(kC14nComments)}),
            reference("#xpointer(id('p2'))", {transform(kExclusiveComments)}),
            reference("#xpointer(id('p2'))", {}),
        })),
        5);
}

TEST_F(ReferenceDigesterPeer, XPathThatDropsSignatures) {
    // A second signature, not the one being made, must go as well.
    std::string older = "<ds:Signature xmlns:ds=\"" + kDsigNamespace +
                        "\" Id=\"older\"><ds:SignatureValue>AAAA</ds:SignatureValue>"
                        "</ds:Signature>";
    std::string text = document(signature({
        reference("", {transform(kEnveloped), xpath("not(ancestor-or-self::ds:Signature)"),
                       transform(kC14n)}),
        reference("", {xpath(" not ( ancestor-or-self::dsig:Signature ) ",
                             "xmlns:dsig=\"" + kDsigNamespace + "\"")}),
        reference("#xpointer(/)",
                  {xpath("not(ancestor-or-self::ds:Signature)"), transform(kExclusiveComments)}),
    }));
    text.replace(text.find("<x:keep"), 0, older);
    expectDigestsOfXmlsec1(text, 3);
}

TEST_F(ReferenceDigesterPeer, GeneralXPathExpressions) {
    const std::string x = "xmlns:x=\"urn:example:x\"";
    expectDigestsOfXmlsec1(
        document(signature({
            // Parts without their ancestors: each renders the namespaces in scope.
            reference("", {xpath("ancestor-or-self::x:part", x)}),
            reference("", {xpath("ancestor-or-self::x:part", x), transform(kExclusive)}),
            // The signature found through here().
            reference("", {xpath("count(ancestor-or-self::ds:Signature | "
                                 "here()/ancestor::ds:Signature[1]) &gt; "
                                 "count(ancestor-or-self::ds:Signature)"),
                           transform(kC14n)}),
            // Elements left out, their content kept.
            reference("", {transform(kEnveloped), xpath("not(self::x:part)", x)}),
            reference(
                "", {transform(kEnveloped), xpath("not(self::x:part)", x), transform(kExclusive)}),
            // Namespace nodes with one value left out.
            reference("", {transform(kEnveloped), xpath("not(. = 'urn:example:y2')")}),
            // One attribute left out.
            reference("", {transform(kEnveloped), xpath("not(name() = 'x:k')")}),
            // Comments left out only outside the x elements.
            reference("#xpointer(/)",
                      {transform(kEnveloped), xpath("not(self::comment()) or ancestor::x:*", x),
                       transform(kC14nComments)}),
            reference("",
                      {transform(kEnveloped), xpath("not(self::text())"), transform(kExclusive)}),
        })),
        9);
}

TEST_F(ReferenceDigesterPeer, XPathFilter2Subtract) {
    const std::string x = "xmlns:x=\"urn:example:x\"";
    expectDigestsOfXmlsec1(
        document(signature({
            reference("", {filter2({{"subtract", "here()/ancestor::ds:Signature[1]"}})}),
            reference("", {filter2({{"subtract", "here()/ancestor::ds:Signature[1]"}}),
                           transform(kExclusive)}),
            reference("", {filter2({{"subtract", "here()/ancestor::ds:Signature[1]"},
                                    {"subtract", "//x:secret"}},
                                   x)}),
            reference("#xpointer(/)", {filter2({{"subtract", "here()/ancestor::ds:Signature[1]"}}),
                                       transform(kC14nComments)}),
        })),
        4);
}

TEST_F(ReferenceDigesterPeer, XPathFilter2IntersectAndUnion) {
    const std::string x = "xmlns:x=\"urn:example:x\"";
    expectDigestsOfXmlsec1(
        document(signature({
            reference("", {filter2({{"intersect", "//x:part"}}, x)}),
            reference("", {filter2({{"intersect", "//x:part"}}, x), transform(kExclusive)}),
            reference("", {filter2({{"intersect", "/*"},
                                    {"subtract", "//x:secret"},
                                    {"subtract", "here()/ancestor::ds:Signature[1]"}},
                                   x)}),
            reference("", {filter2({{"intersect", "//x:secret"}, {"union", "//*[@Id='p2']"}}, x)}),
            // A union inside a subtracted subtree: no longer whole subtrees.
            reference("", {filter2({{"intersect", "/*"},
                                    {"subtract", "//x:secret"},
                                    {"union", "//x:keep"},
                                    {"subtract", "here()/ancestor::ds:Signature[1]"}},
                                   x)}),
            // Attributes and text selected.
            reference("", {filter2({{"subtract", "//@x:attr"},
                                    {"subtract", "here()/ancestor::ds:Signature[1]"}},
                                   x)}),
            reference("", {filter2({{"intersect", "//x:part/text()"}}, x)}),
            reference("#p2", {filter2({{"subtract", "//*[local-name()='inner']"}})}),
        })),
        8);
}

TEST_F(ReferenceDigesterPeer, NamespaceHeavyDocument) {
    std::string text =
        "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\r\n"
        "<a:root xmlns=\"urn:default\" xmlns:a=\"urn:a\" xmlns:b=\"urn:b\" xml:lang=\"es\">\r\n"
        "<b:wrap xmlns:a=\"urn:a2\" xml:space=\"preserve\"><a:in a:v=\"1&#13;\"/>"
        "<plain xmlns=\"\"><x:deep xmlns:x=\"urn:x\" Id=\"deep\" xml:base=\"http://h/\">"
        "t\xE9xt\r\nline&#13;<again xmlns=\"urn:default\"><b:last b:z=\"&lt;&quot;&#9;\" "
        "a=\"&amp;\"/></again></x:deep></plain></b:wrap>\r\n"
        "<child xmlns:a=\"urn:a\"><a:same/></child>\r\n"
        "SIGNATURE</a:root>";
    text.replace(
        text.find("SIGNATURE"), 9,
        signature({
            reference("", {transform(kEnveloped), transform(kC14n)}),
            reference("", {transform(kEnveloped), transform(kExclusive)}),
            reference("#deep", {transform(kC14n)}),
            reference("#deep", {transform(kExclusive)}),
            reference("#deep", {exclusive("#default a")}),
            reference("", {transform(kEnveloped), xpath("not(ancestor-or-self::ds:Signature)"),
                           transform(kC14n)}),
            reference("", {filter2({{"intersect", "//*[local-name()='plain']"}})}),
        }));
    expectDigestsOfXmlsec1(text, 7, "--id-attr:Id urn:x:deep");
}

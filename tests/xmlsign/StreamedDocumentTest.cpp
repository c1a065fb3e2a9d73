// Enveloped signatures of a whole document are made in one streaming pass over the document
// (no DOM of its content): the document keeps every byte, the signature is the one the DOM
// road makes of it, and the Id rule still sees the Ids inside the content.
#include <xercesc/dom/DOMDocument.hpp>
#include <xercesc/dom/DOMElement.hpp>

#include "XmlSignFixture.h"
#include "platform/xml/DomLookup.h"
#include "platform/xml/XmlText.h"

using platform::xml::attributeText;

namespace {

// What xmlsec1 and the DOM writer would both change if the document were written again: a
// byte order mark, single quotes, attribute order, character references, CDATA, comments,
// processing instructions, empty-element tags and a signature of someone else inside.
const std::string kDocument =
    "\xEF\xBB\xBF<?xml version='1.0' encoding='UTF-8'?>\n"
    "<!-- before -->\n"
    "<doc xmlns='urn:example' xmlns:e=\"urn:e\" b='2' a=\"1\">\n"
    "  <?keep this?>\n"
    "  <x Id='Signature7'>&#65;&amp;<![CDATA[<raw>]]>\xC3\xA9<e:y/><!-- inside --></x>\n"
    "  <z><ds:Signature xmlns:ds='http://www.w3.org/2000/09/xmldsig#'>old</ds:Signature></z>\n"
    "</doc>\n"
    "<!-- after -->\n";

std::string digestValueOf(const std::string& signedDocument, const std::string& signatureId) {
    auto document = parseXml(signedDocument);
    for (const xercesc::DOMElement* signature : elementsNamed(*document, "Signature")) {
        if (attributeText(*signature, "Id") == signatureId) {
            return platform::xml::textOf(*elementsNamed(*signature, "DigestValue").at(0));
        }
    }
    return "";
}

} // namespace

TEST_F(XmlSignTest, StreamedDocumentKeepsEveryByteAndDigestsAsTheDomRoad) {
    set("EnvelopeType", "ENVELOPED");
    std::string out = signOk(kDocument);
    const size_t end = kDocument.rfind("</doc>");
    ASSERT_GT(out.size(), kDocument.size());
    EXPECT_EQ(out.substr(0, end), kDocument.substr(0, end));
    EXPECT_EQ(out.substr(out.size() - (kDocument.size() - end)), kDocument.substr(end));
    const std::string inserted = out.substr(end, out.size() - kDocument.size());
    EXPECT_TRUE(inserted.starts_with("<ds:Signature")) << inserted.substr(0, 40);
    EXPECT_TRUE(inserted.ends_with("</ds:Signature>")) << inserted;
    EXPECT_EQ(inserted.find("<?xml"), std::string::npos);
    // The Id rule counted the Signature7 of the content, which the streamed skeleton lacks.
    EXPECT_NE(inserted.find("Id=\"Signature8\""), std::string::npos);

    // A parent element chosen by XPath takes the DOM road: the same reference, the same
    // digest of the content less every signature.
    set("ParentElement", "/*");
    std::string dom = signOk(kDocument);
    set("ParentElement", "");
    const std::string streamed = digestValueOf(out, "Signature8");
    ASSERT_FALSE(streamed.empty());
    EXPECT_EQ(streamed, digestValueOf(dom, "Signature8"));

    // xmlsec1 checks the first signature it finds: the old one goes (no change to the digest,
    // which leaves every signature out). A changed content byte then breaks the digest.
    std::string withoutOld = out;
    const size_t old = withoutOld.find("<z>") + 3;
    withoutOld.erase(old, withoutOld.find("</z>") - old);
    std::string output;
    EXPECT_TRUE(xmlsecVerify(withoutOld, &output, "", false)) << output;
    std::string changed = withoutOld;
    changed.replace(changed.find("&#65;"), 5, "&#66;");
    EXPECT_FALSE(xmlsecVerify(changed, &output, "", false)) << output;
}

TEST_F(XmlSignTest, StreamedDocumentStaysInItsSingleByteEncoding) {
    set("EnvelopeType", "ENVELOPED");
    set("IncludeSigningCertificate", "TRUE");
    const std::string latin1 = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n"
                               "<pedido n\xFAmero=\"7\">caf\xE9 y \xF1u</pedido>";
    std::string out = signOk(latin1);
    EXPECT_TRUE(out.starts_with(latin1.substr(0, latin1.size() - 9))) << out.substr(0, 80);
    EXPECT_TRUE(out.ends_with("</pedido>"));
    std::string output;
    EXPECT_TRUE(xmlsecVerify(out, &output)) << output;

    // Asked for in another encoding, the document is written again in it.
    set("XMLEncoding", "UTF-8");
    std::string utf8 = signOk(latin1);
    EXPECT_NE(utf8.find("caf\xC3\xA9"), std::string::npos);
    EXPECT_TRUE(xmlsecVerify(utf8, &output)) << output;
}

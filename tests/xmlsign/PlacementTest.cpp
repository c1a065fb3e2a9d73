// The three placements of the XML-DSig signer, their element trees and Ids, checked against
// xmlsec1 (libxmlsec1 over libxml2).
#include <xercesc/dom/DOMDocument.hpp>
#include <xercesc/dom/DOMElement.hpp>

#include "DsigTemplates.h"
#include "XmlSignFixture.h"
#include "platform/xml/DomLookup.h"
#include "platform/xml/XmlDsigNames.h"
#include "platform/xml/XmlText.h"

namespace dsig = platform::xml::dsig;
using platform::xml::attributeText;

namespace {

const std::string kDocument = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                              "<doc xmlns=\"urn:example\" xmlns:e=\"urn:e\">\n"
                              "  <a Id=\"p1\">uno <e:b>dos</e:b></a>\n"
                              "  <c id=\"p2\">tres</c>\n"
                              "</doc>\n";

std::vector<std::string> transformsOf(const xercesc::DOMElement& reference) {
    std::vector<std::string> out;
    for (const xercesc::DOMElement* t : elementsNamed(reference, "Transform")) {
        out.push_back(attributeText(*t, "Algorithm"));
    }
    return out;
}

const std::vector<std::string> kEnvelopedTransforms{dsig::kEnvelopedSignature, dsig::kXPath,
                                                    dsig::kC14n};

} // namespace

TEST_F(XmlSignTest, EnvelopedWholeDocumentInLowerCase) {
    set("EnvelopeType", "enveloped");
    std::string out = signOk(kDocument);
    auto document = parseXml(out);
    const xercesc::DOMElement* root = document->getDocumentElement();
    const xercesc::DOMElement* last = root->getLastElementChild();
    ASSERT_TRUE(platform::xml::hasName(*last, dsig::kNamespace, "Signature"));
    EXPECT_EQ(attributeText(*last, "Id"), "Signature1");
    auto references = elementsNamed(*last, "Reference");
    ASSERT_EQ(references.size(), 1u);
    EXPECT_EQ(attributeText(*references[0], "URI"), "");
    EXPECT_EQ(transformsOf(*references[0]), kEnvelopedTransforms);
    EXPECT_EQ(idsOf(*document, "SignedInfo"), std::vector<std::string>{"Signature1-SignedInfo1"});
    EXPECT_EQ(idsOf(*document, "Reference"), std::vector<std::string>{"Signature1-Reference1"});
    EXPECT_EQ(idsOf(*document, "SignatureValue"),
              std::vector<std::string>{"Signature1-SignatureValue1"});
    EXPECT_EQ(idsOf(*document, "KeyInfo"), std::vector<std::string>{"Signature1-KeyInfo1"});
    EXPECT_TRUE(elementsNamed(*last, "Object").empty());
    // The XPath transform binds ds for its expression whatever the signature's prefix.
    const xercesc::DOMElement* xpath = elementsNamed(*last, "XPath").at(0);
    EXPECT_EQ(platform::xml::textOf(*xpath), "not(ancestor-or-self::ds:Signature)");
    EXPECT_EQ(attributeText(*xpath, "xmlns:ds"), dsig::kNamespace);
    // KeyInfo names the certificate by issuer (most specific first) and decimal serial.
    EXPECT_EQ(platform::xml::textOf(*elementsNamed(*last, "X509IssuerName").at(0)),
              "CN=Raiz Pruebas, O=Quillion, C=ES");
    EXPECT_EQ(platform::xml::textOf(*elementsNamed(*last, "X509SerialNumber").at(0)), "19088743");
    EXPECT_TRUE(elementsNamed(*last, "X509Certificate").empty());
    // The signed content is the document as it was.
    EXPECT_NE(out.find("<a Id=\"p1\">uno <e:b>dos</e:b></a>"), std::string::npos);

    std::string output;
    EXPECT_TRUE(xmlsecVerify(out, &output, "", false)) << output;
    // Changed content no longer verifies.
    std::string changed = out;
    changed.replace(changed.find("tres"), 4, "TRES");
    EXPECT_FALSE(xmlsecVerify(changed, &output, "", false)) << output;
}

TEST_F(XmlSignTest, EnvelopedElementByIdWithAndWithoutTheSignatureInside) {
    set("EnvelopeType", "ENVELOPED");
    set("IncludeSigningCertificate", "TRUE");
    set("ElementToSign", "#p1");
    set("ParentElement", "//*[@Id='p1']");
    std::string inside = signOk(kDocument);
    auto document = parseXml(inside);
    const xercesc::DOMElement* a = elementsNamed(*document, "a").at(0);
    ASSERT_TRUE(platform::xml::hasName(*a->getLastElementChild(), dsig::kNamespace, "Signature"));
    auto references = elementsNamed(*document, "Reference");
    ASSERT_EQ(references.size(), 1u);
    EXPECT_EQ(attributeText(*references[0], "URI"), "#p1");
    EXPECT_EQ(transformsOf(*references[0]), kEnvelopedTransforms);
    std::string output;
    EXPECT_TRUE(xmlsecVerify(inside, &output, "--id-attr:Id urn:example:a")) << output;

    // Signing c (lower-case id) from a signature placed in a: only C14N.
    set("ElementToSign", "#p2");
    std::string outside = signOk(kDocument);
    auto second = parseXml(outside);
    references = elementsNamed(*second, "Reference");
    ASSERT_EQ(references.size(), 1u);
    EXPECT_EQ(transformsOf(*references[0]), std::vector<std::string>{dsig::kC14n});
    EXPECT_TRUE(xmlsecVerify(outside, &output, "--id-attr:id urn:example:c")) << output;
}

TEST_F(XmlSignTest, EnvelopedIntoTheDocumentElementOfAnXPointer) {
    // A signature inside what "#xpointer(id('p1'))" selects needs the enveloped transforms
    // as "#p1" does, or its own insertion would change what was digested.
    set("EnvelopeType", "ENVELOPED");
    set("ElementToSign", "#xpointer(id('p1'))");
    set("ParentElement", "//*[@Id='p1']");
    std::string out = signOk(kDocument);
    auto document = parseXml(out);
    EXPECT_EQ(transformsOf(*elementsNamed(*document, "Reference").at(0)), kEnvelopedTransforms);
    std::string output;
    EXPECT_TRUE(xmlsecVerify(out, &output, "--id-attr:Id urn:example:a", false)) << output;
}

TEST_F(XmlSignTest, EnvelopingCarriesTheDocument) {
    set("EnvelopeType", "ENVELOPING");
    set("IncludeSigningCertificate", "TRUE");
    std::string out = signOk(kDocument);
    auto document = parseXml(out);
    const xercesc::DOMElement* root = document->getDocumentElement();
    ASSERT_TRUE(platform::xml::hasName(*root, dsig::kNamespace, "Signature"));
    EXPECT_EQ(attributeText(*root, "Id"), "Signature1");
    EXPECT_EQ(idsOf(*document, "Object"), std::vector<std::string>{"Signature1-Object1"});
    const xercesc::DOMElement* object = elementsNamed(*root, "Object").at(0);
    const xercesc::DOMElement* carried = object->getFirstElementChild();
    ASSERT_NE(carried, nullptr);
    EXPECT_EQ(platform::xml::toUtf8(carried->getNamespaceURI()), "urn:example");
    EXPECT_EQ(platform::xml::toUtf8(carried->getLocalName()), "doc");
    auto references = elementsNamed(*root, "Reference");
    ASSERT_EQ(references.size(), 1u);
    EXPECT_EQ(attributeText(*references[0], "URI"), "#Signature1-Object1");
    EXPECT_EQ(transformsOf(*references[0]), std::vector<std::string>{dsig::kC14n});
    std::string output;
    EXPECT_TRUE(xmlsecVerify(out, &output)) << output;
}

TEST_F(XmlSignTest, DetachedFilesGetC14nOnlyWhenXml) {
    set("EnvelopeType", "ENVELOPING");
    testpki::writeFile(path("data.xml"), kDocument);
    testpki::writeFile(path("data.bin"), std::string("\x00\x01<no xml\xff", 11));
    for (const char* name : {"data.xml", "data.bin"}) {
        SCOPED_TRACE(name);
        const std::string url = "file://" + path(name);
        std::string out = signOk(url, true);
        auto document = parseXml(out);
        auto references = elementsNamed(*document, "Reference");
        ASSERT_EQ(references.size(), 1u);
        EXPECT_EQ(attributeText(*references[0], "URI"), url);
        EXPECT_EQ(transformsOf(*references[0]), std::string(name) == "data.xml"
                                                    ? std::vector<std::string>{dsig::kC14n}
                                                    : std::vector<std::string>{});
        // No Object: the data stays outside.
        EXPECT_TRUE(elementsNamed(*document, "Object").empty());
        std::string output;
        EXPECT_TRUE(xmlsecVerify(out, &output, "", false)) << output;
    }
    // A missing file is refused before anything is signed.
    Result missing = sign("file://" + path("missing.xml"), true);
    EXPECT_EQ(missing.hr, static_cast<HRESULT>(0x80044651u));
    EXPECT_EQ(missing.description, "File not found");
}

TEST_F(XmlSignTest, DetachedSameDocumentReference) {
    // "#" + Id signs an element of the signature's own document: here its KeyInfo.
    set("EnvelopeType", "ENVELOPING");
    set("IncludeSigningCertificate", "TRUE");
    std::string out = signOk("#Signature1-KeyInfo1", true);
    auto document = parseXml(out);
    auto references = elementsNamed(*document, "Reference");
    ASSERT_EQ(references.size(), 1u);
    EXPECT_EQ(transformsOf(*references[0]), std::vector<std::string>{dsig::kC14n});
    std::string output;
    EXPECT_TRUE(xmlsecVerify(out, &output)) << output;

    Result unknown = sign("#nowhere", true);
    EXPECT_EQ(unknown.hr, static_cast<HRESULT>(0x8004465Bu));
    EXPECT_EQ(unknown.description, "No element has the Id \"nowhere\"");
}

TEST_F(XmlSignTest, IdsFollowTheLargestNumberInTheDocument) {
    set("EnvelopeType", "ENVELOPED");
    std::string once = signOk(kDocument);
    std::string twice = signOk(once);
    auto document = parseXml(twice);
    EXPECT_EQ(idsOf(*document, "Signature"),
              (std::vector<std::string>{"Signature1", "Signature2"}));
    EXPECT_EQ(idsOf(*document, "SignedInfo"),
              (std::vector<std::string>{"Signature1-SignedInfo1", "Signature2-SignedInfo1"}));
    EXPECT_EQ(idsOf(*document, "KeyInfo"),
              (std::vector<std::string>{"Signature1-KeyInfo1", "Signature2-KeyInfo1"}));
    // The second signature drops every signature from what it signs, so both verify.
    std::string output;
    EXPECT_TRUE(xmlsecVerify(twice, &output, "", false)) << output;
    EXPECT_TRUE(xmlsecVerify(twice, &output,
                             "--id-attr:Id http://www.w3.org/2000/09/xmldsig#:Signature "
                             "--node-id Signature2",
                             false))
        << output;

    std::string tenth = "<doc>";
    for (int i = 1; i <= 10; ++i) {
        tenth += "<s Id=\"Signature" + std::to_string(i) + "\"/>";
    }
    tenth += "<t ID=\"Signature007-x\"/><u iD=\"SignatureX\"/></doc>";
    document = parseXml(signOk(tenth));
    EXPECT_EQ(idsOf(*document, "Signature"), std::vector<std::string>{"Signature11"});
    EXPECT_EQ(idsOf(*document, "SignedInfo"), std::vector<std::string>{"Signature11-SignedInfo1"});

    // Numbers longer than any integer type still go up by one.
    document = parseXml(signOk("<doc id=\"Signature99999999999999999999999\"/>"));
    EXPECT_EQ(idsOf(*document, "Signature"),
              std::vector<std::string>{"Signature100000000000000000000000"});
}

TEST_F(XmlSignTest, AnOlderSignatureIsLeftAsItWas) {
    // A signature made by xmlsec1 without any Id (one that drops every signature from what it
    // signs, as this signer's do): the new signature gives Ids only to its own elements, so
    // the older one still verifies.
    using namespace dsigtemplate;
    testpki::writeFile(path("key.pem"), pki().signer.key->toPem(""));
    testpki::writeFile(path("cert.pem"), pki().signer.certificate->pem());
    testpki::writeFile(path("template.xml"),
                       "<doc xmlns=\"urn:example\"><a>uno</a>" +
                           signature({reference("", {transform(kEnveloped),
                                                     xpath("not(ancestor-or-self::ds:Signature)"),
                                                     transform(kC14n)})}) +
                           "</doc>");
    std::string output;
    ASSERT_EQ(testpki::run("xmlsec1 --sign --privkey-pem " + path("key.pem") + "," +
                               path("cert.pem") + " --output " + path("older.xml") + " " +
                               path("template.xml"),
                           &output),
              0)
        << output;
    std::string older = testpki::readFile(path("older.xml"));
    set("EnvelopeType", "ENVELOPED");
    std::string both = signOk(older);
    auto document = parseXml(both);
    EXPECT_EQ(idsOf(*document, "Signature"), (std::vector<std::string>{"", "Signature1"}));
    EXPECT_EQ(idsOf(*document, "SignedInfo"),
              (std::vector<std::string>{"", "Signature1-SignedInfo1"}));
    EXPECT_EQ(idsOf(*document, "Reference"),
              (std::vector<std::string>{"", "Signature1-Reference1"}));
    // xmlsec1 checks the first signature of the document: the older one.
    EXPECT_TRUE(xmlsecVerify(both, &output, "", false)) << output;
    EXPECT_TRUE(xmlsecVerify(both, &output,
                             "--id-attr:Id http://www.w3.org/2000/09/xmldsig#:Signature "
                             "--node-id Signature1",
                             false))
        << output;
}

TEST_F(XmlSignTest, EnvelopingADocumentThatHoldsASignatureKeepsItIntact) {
    set("EnvelopeType", "ENVELOPED");
    std::string signedOnce = signOk(kDocument);
    set("EnvelopeType", "ENVELOPING");
    std::string out = signOk(signedOnce);
    auto document = parseXml(out);
    EXPECT_EQ(attributeText(*document->getDocumentElement(), "Id"), "Signature2");
    // Only the new signature's own elements got Ids.
    EXPECT_EQ(idsOf(*document, "Object"), std::vector<std::string>{"Signature2-Object1"});
    std::string output;
    EXPECT_TRUE(xmlsecVerify(out, &output, "", false)) << output;
    // The carried document, taken out again, still holds a valid signature.
    const size_t start = out.find("<doc");
    const std::string carried = out.substr(start, out.find("</doc>") + 6 - start);
    EXPECT_TRUE(xmlsecVerify(carried, &output, "", false)) << output;
}

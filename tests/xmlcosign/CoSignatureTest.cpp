// Co-signing XML signatures: plain (one more enveloped signature over ElementToSign) and
// XAdES (the data references of the first signature signed again), over signatures of our
// own and of xmlsec1.
#include <xercesc/dom/DOMDocument.hpp>
#include <xercesc/dom/DOMElement.hpp>

#include "CoSignFixture.h"
#include "component/signing/XmlCoSignature.h"
#include "platform/xml/DomLookup.h"
#include "platform/xml/XmlDsigNames.h"
#include "platform/xml/XmlText.h"

namespace dsig = platform::xml::dsig;
using component::signing::XmlCoSignature;
using platform::xml::attributeText;
using platform::xml::toUtf8;

namespace {

const std::string kDocument = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                              "<doc><a Id=\"p1\">uno</a><b>dos</b></doc>\n";
const std::string kC14n = "http://www.w3.org/TR/2001/REC-xml-c14n-20010315";
const std::string kDs = "xmlns:ds=\"http://www.w3.org/2000/09/xmldsig#\"";
const std::string kSignedInfoStart =
    "<ds:SignedInfo><ds:CanonicalizationMethod Algorithm=\"" + kC14n +
    "\"/><ds:SignatureMethod Algorithm=\"http://www.w3.org/2000/09/xmldsig#rsa-sha1\"/>";
const std::string kDigest = "<ds:DigestMethod Algorithm=\"http://www.w3.org/2000/09/"
                            "xmldsig#sha1\"/><ds:DigestValue/>";
const std::string kValueAndKey = "<ds:SignatureValue/><ds:KeyInfo><ds:X509Data/></ds:KeyInfo>";
constexpr HRESULT kOperation = static_cast<HRESULT>(0x8004465Bu);

struct Reference {
    std::string uri;
    std::vector<std::string> transforms;
};

std::vector<Reference> references(const xercesc::DOMElement& signature) {
    std::vector<Reference> found;
    const xercesc::DOMElement* signedInfo =
        platform::xml::firstChildElement(signature, dsig::kNamespace, "SignedInfo");
    for (const xercesc::DOMElement* r :
         platform::xml::childElements(*signedInfo, dsig::kNamespace, "Reference")) {
        Reference reference{attributeText(*r, "URI"), {}};
        for (const xercesc::DOMElement* t : elementsNamed(*r, "Transform")) {
            reference.transforms.push_back(attributeText(*t, "Algorithm"));
        }
        found.push_back(reference);
    }
    return found;
}

const std::vector<std::string> kEnvelopedTransforms = {
    "http://www.w3.org/2000/09/xmldsig#enveloped-signature",
    "http://www.w3.org/TR/1999/REC-xpath-19991116", kC14n};

} // namespace

class CoSignatureTest : public CoSignTest {
protected:
    void SetUp() override {
        CoSignTest::SetUp();
        set("IncludeSigningCertificate", "TRUE");
        set("EnvelopeType", "ENVELOPED");
    }

    // The document signed by xmlsec1 from a template with the test signer's key and
    // certificate; options go before the template (--id-attr, ...).
    std::string xmlsecSign(const std::string& templateText, const std::string& options = "") {
        testpki::writeFile(path("xmlsec.key"), pki().signer.key->toPem(""));
        testpki::writeFile(path("xmlsec.pem"), pki().signer.certificate->pem());
        testpki::writeFile(path("template.xml"), templateText);
        std::string output;
        int status = testpki::run("xmlsec1 --sign --privkey-pem " + path("xmlsec.key") + "," +
                                      path("xmlsec.pem") + " " + options + " --output " +
                                      path("xmlsec-signed.xml") + " " + path("template.xml"),
                                  &output);
        EXPECT_EQ(status, 0) << output;
        return status == 0 ? testpki::readFile(path("xmlsec-signed.xml")) : "";
    }
};

TEST_F(CoSignatureTest, APlainCoSignatureIsOneMoreEnvelopedSignatureOverTheSameData) {
    std::string once = signOk(kDocument);
    auto second = certificate(pki().second);
    std::string out = cosignOk(once, false, second.get());
    keepSeed("cosigned", out);
    ASSERT_EQ(signatureIds(out), (std::vector<std::string>{"Signature1", "Signature2"}));
    auto document = parseXml(out);
    auto signatures = elementsNamed(*document, "Signature");
    EXPECT_EQ(signatures[1]->getParentNode(), document->getDocumentElement());
    std::vector<Reference> refs = references(*signatures[1]);
    ASSERT_EQ(refs.size(), 1u);
    EXPECT_EQ(refs[0].uri, "");
    EXPECT_EQ(refs[0].transforms, kEnvelopedTransforms);
    EXPECT_EQ(settings().get("ReferencesCount"), "1");
    // The first signature is carried over as it was.
    size_t start = once.find("<ds:Signature ");
    size_t end = once.find("</ds:Signature>");
    ASSERT_NE(end, std::string::npos);
    EXPECT_NE(out.find(once.substr(start, end - start)), std::string::npos);
    expectAllVerify(out);
}

TEST_F(CoSignatureTest, APlainCoSignatureSignsElementToSignAndItsSigningTime) {
    set("ElementToSign", "#p1");
    set("ParentElement", "/doc");
    std::string once = signOk(kDocument);
    std::string out = cosignOk(once, true);
    auto document = parseXml(out);
    auto signatures = elementsNamed(*document, "Signature");
    ASSERT_EQ(signatures.size(), 2u);
    std::vector<Reference> refs = references(*signatures[1]);
    ASSERT_EQ(refs.size(), 2u);
    EXPECT_EQ(refs[0].uri, "#p1");
    EXPECT_EQ(refs[0].transforms, std::vector<std::string>{kC14n});
    EXPECT_EQ(refs[1].uri, "#Signature2-TimeStamp1");
    expectAllVerify(out, "--id-attr:Id a");
}

TEST_F(CoSignatureTest, EnvelopeTypesOtherThanEnvelopedAreRefusedWithNothingWritten) {
    std::string once = signOk(kDocument);
    set("EnvelopeType", "");
    Result result = cosign(once);
    EXPECT_EQ(result.hr, kOperation);
    EXPECT_EQ(result.description, "Tipo de \"envelope\" inválido.");
    EXPECT_FALSE(settings().contains("ReferencesCount"));

    set("EnvelopeType", "Enveloping");
    result = cosign(once);
    EXPECT_EQ(result.hr, kOperation);
    EXPECT_EQ(result.description,
              "Tipo de \"envelope\" inválido para añadir una firma. Solo soportado \"Enveloped\"");

    set("EnvelopeType", "ENVELOPED");
    result = cosign(once, true);
    EXPECT_EQ(result.hr, kOperation);
    EXPECT_EQ(result.description, XmlCoSignature::kDetachedRefused);
    EXPECT_FALSE(settings().contains("ReferencesCount"));

    // DETACHEDINTERNA is an enveloped co-signature, detached or not.
    set("EnvelopeType", "detachedinterna");
    result = cosign(once, true);
    ASSERT_EQ(result.hr, S_OK) << result.description;
    EXPECT_EQ(signatureIds(result.bytes).size(), 2u);
}

TEST_F(CoSignatureTest, AXadesCoSignatureIsASiblingOverTheFirstSignaturesData) {
    set("Xades", "TRUE");
    std::string once = signOk(kDocument);
    std::string out = cosignOk(once);
    keepSeed("xades-cosigned", out);
    auto document = parseXml(out);
    auto signatures = elementsNamed(*document, "Signature");
    ASSERT_EQ(signatures.size(), 2u);
    EXPECT_EQ(signatures[0]->getParentNode(), signatures[1]->getParentNode());
    std::vector<Reference> refs = references(*signatures[1]);
    ASSERT_EQ(refs.size(), 2u);
    EXPECT_EQ(refs[0].uri, "");
    EXPECT_EQ(refs[0].transforms, kEnvelopedTransforms);
    EXPECT_EQ(refs[1].uri, "#Signature2-SignedProperties");
    EXPECT_EQ(settings().get("ElementToSign"), "");
    EXPECT_EQ(settings().get("ReferencesCount"), "1");
    EXPECT_EQ(settings().get("EnvelopeType"), "ENVELOPED");
    expectAllVerify(out);
}

TEST_F(CoSignatureTest, AXadesCoSignatureKeepsEveryReferenceOutsideTheSignatures) {
    // An xmlsec1 signature over two elements, a text file and an object of its own.
    testpki::writeFile(path("datos.txt"), "datos que no son XML\n");
    const std::string fileUri = "file://" + path("datos.txt");
    std::string templateText =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<doc><a Id=\"p1\">uno</a><b Id=\"p2\">dos"
        "</b><ds:Signature " +
        kDs + " Id=\"firma\">" + kSignedInfoStart + "<ds:Reference URI=\"#p1\">" + kDigest +
        "</ds:Reference><ds:Reference URI=\"#obj\">" + kDigest +
        "</ds:Reference><ds:Reference URI=\"" + fileUri + "\">" + kDigest +
        "</ds:Reference><ds:Reference URI=\"#p2\">" + kDigest + "</ds:Reference></ds:SignedInfo>" +
        kValueAndKey + "<ds:Object Id=\"obj\"><nota>objeto</nota></ds:Object></ds:Signature></doc>";
    const std::string ids = "--id-attr:Id a --id-attr:Id b --id-attr:Id "
                            "http://www.w3.org/2000/09/xmldsig#:Object";
    std::string signedText = xmlsecSign(templateText, ids);
    ASSERT_FALSE(signedText.empty());
    set("Xades", "TRUE");
    std::string out = cosignOk(signedText);
    keepSeed("xades-cosigned-references", out);
    auto document = parseXml(out);
    auto signatures = elementsNamed(*document, "Signature");
    ASSERT_EQ(signatures.size(), 2u);
    std::vector<Reference> refs = references(*signatures[1]);
    ASSERT_EQ(refs.size(), 4u);
    EXPECT_EQ(refs[0].uri, "#p1");
    EXPECT_EQ(refs[0].transforms, std::vector<std::string>{kC14n});
    EXPECT_EQ(refs[1].uri, fileUri);
    EXPECT_EQ(refs[1].transforms, std::vector<std::string>{}); // not XML
    EXPECT_EQ(refs[2].uri, "#p2");
    EXPECT_EQ(refs[3].uri, "#Signature1-SignedProperties");
    EXPECT_EQ(settings().get("ElementToSign"), "#p1");
    EXPECT_EQ(settings().get("ElementToSign1"), fileUri);
    EXPECT_EQ(settings().get("ElementToSign2"), "#p2");
    EXPECT_EQ(settings().get("ReferencesCount"), "3");
    expectAllVerify(out, ids);
}

TEST_F(CoSignatureTest, AXadesCoSignatureWithNoDataToSignIsRefused) {
    set("Xades", "TRUE");
    Result result = cosign(kDocument);
    EXPECT_EQ(result.hr, kOperation);
    EXPECT_EQ(result.description, XmlCoSignature::kNothingToCosign);
    // An enveloping signature signs its own object only.
    set("EnvelopeType", "ENVELOPING");
    std::string enveloping = signOk(kDocument);
    set("EnvelopeType", "ENVELOPED");
    result = cosign(enveloping);
    EXPECT_EQ(result.hr, kOperation);
    EXPECT_EQ(result.description, XmlCoSignature::kNothingToCosign);
    EXPECT_FALSE(settings().contains("ReferencesCount"));
}

TEST_F(CoSignatureTest, ACoSignatureOfAnXmlsecSignatureLeavesItByteForByte) {
    std::string templateText =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<pedido><cliente>Ana</cliente>"
        "<importe>120,50</importe><ds:Signature " +
        kDs + " Id=\"original\">" + kSignedInfoStart +
        "<ds:Reference URI=\"\"><ds:Transforms><ds:Transform Algorithm=\"http://www.w3.org/TR/"
        "1999/REC-xpath-19991116\"><ds:XPath>not(ancestor-or-self::ds:Signature)</ds:XPath>"
        "</ds:Transform></ds:Transforms>" +
        kDigest + "</ds:Reference></ds:SignedInfo>" + kValueAndKey + "</ds:Signature></pedido>\n";
    std::string signedText = xmlsecSign(templateText);
    ASSERT_FALSE(signedText.empty());
    size_t start = signedText.find("<ds:Signature");
    size_t end = signedText.find("</ds:Signature>") + 15;
    const std::string original = signedText.substr(start, end - start);

    for (const char* xades : {"FALSE", "TRUE"}) {
        set("Xades", xades);
        std::string out = cosignOk(signedText);
        keepSeed(std::string("xmlsec-cosigned-") + xades, out);
        EXPECT_NE(out.find(original), std::string::npos) << xades;
        // The document around it too (its XML declaration is the writer's own).
        size_t body = signedText.find("<pedido>");
        EXPECT_NE(out.find(signedText.substr(body, start - body) + "<ds:Signature"),
                  std::string::npos)
            << xades;
        EXPECT_EQ(signatureIds(out), (std::vector<std::string>{"original", "Signature1"}));
        expectAllVerify(out);
    }
}

TEST_F(CoSignatureTest, ACoSignatureOfAChangedDocumentFailsAlone) {
    // The first signature signs p1 only, the co-signature the whole document.
    set("ElementToSign", "#p1");
    set("ParentElement", "/doc");
    std::string once = signOk(kDocument);
    set("ElementToSign", "");
    std::string out = cosignOk(once);
    size_t at = out.find("<b>dos</b>");
    ASSERT_NE(at, std::string::npos);
    out.replace(at, 10, "<b>tres</b>");
    std::vector<CoSignStatus> statuses = verifyStatuses(out);
    ASSERT_EQ(statuses.size(), 2u);
    EXPECT_EQ(statuses[0].description, "No error");
    EXPECT_EQ(statuses[1].idError, -1);
    EXPECT_EQ(statuses[1].description, "Reference URI=\"\" failed to verify\n");
    std::vector<std::string> failing = xmlsecFailures(out, "--id-attr:Id a");
    ASSERT_EQ(failing.size(), 1u);
    EXPECT_EQ(failing[0].substr(0, 11), "Signature2:");
}

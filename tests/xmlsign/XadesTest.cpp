// The XAdES qualifying properties: element tree, namespaces, prefixes and Ids for both
// versions, signing time, signing certificate, policy, signer role and data-object format.
#include <regex>

#include <xercesc/dom/DOMDocument.hpp>
#include <xercesc/dom/DOMElement.hpp>

#include "TestServer.h"
#include "XmlSignFixture.h"
#include "component/content/XadesVersion.h"
#include "platform/crypt/Digest.h"
#include "platform/xml/DomLookup.h"
#include "platform/xml/XmlDsigNames.h"
#include "platform/xml/XmlText.h"
#include "stream/Base64.h"

namespace dsig = platform::xml::dsig;
using platform::xml::attributeText;
using platform::xml::textOf;
using platform::xml::toUtf8;

namespace {

const std::string kXades122 = "http://uri.etsi.org/01903/v1.2.2#";
const std::string kXades132 = "http://uri.etsi.org/01903/v1.3.2#";
const std::string kDocument = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                              "<doc xmlns=\"urn:example\"><a Id=\"p1\">uno</a></doc>\n";

const xercesc::DOMElement& one(const xercesc::DOMNode& root, const std::string& localName) {
    auto found = elementsNamed(root, localName);
    if (found.size() != 1) {
        ADD_FAILURE() << found.size() << " elements " << localName;
        throw std::runtime_error("element count");
    }
    return *found[0];
}

std::string base64(const std::vector<unsigned char>& bytes) {
    return stream::Base64::encode(
        std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

// SHA-1 in Base64 of a file, or of its canonical form, by the peers (xmllint, openssl).
std::string peerDigest(const std::string& file, bool canonical) {
    std::string output;
    std::string command = (canonical ? "xmllint --c14n " + file : "cat " + file) +
                          " | openssl dgst -sha1 -binary | openssl base64 -A";
    EXPECT_EQ(testpki::run(command, &output), 0) << output;
    while (!output.empty() && (output.back() == '\n' || output.back() == '\r')) {
        output.pop_back();
    }
    return output;
}

} // namespace

class XadesTest : public XmlSignTest {
protected:
    void SetUp() override {
        XmlSignTest::SetUp();
        set("Xades", "TRUE");
        set("IncludeSigningCertificate", "TRUE");
        set("EnvelopeType", "ENVELOPED");
    }
    bool verify(const std::string& out, std::string* output) {
        return xmlsecVerify(out, output, xadesIds());
    }
};

TEST_F(XadesTest, TreeNamespacesAndTheSignedPropertiesReference) {
    std::string out = signOk(kDocument);
    auto document = parseXml(out);
    const xercesc::DOMElement& signature = one(*document, "Signature");
    EXPECT_EQ(attributeText(signature, "xmlns:xades"), kXades122);
    const xercesc::DOMElement& qualifying = one(signature, "QualifyingProperties");
    EXPECT_EQ(toUtf8(qualifying.getNamespaceURI()), kXades122);
    EXPECT_EQ(toUtf8(qualifying.getPrefix()), "xades");
    EXPECT_EQ(attributeText(qualifying, "Target"), "#Signature1");
    EXPECT_TRUE(platform::xml::hasName(*qualifying.getParentNode(), dsig::kNamespace, "Object"));
    EXPECT_EQ(idsOf(*document, "Object"), std::vector<std::string>{"Signature1-Object1"});
    EXPECT_EQ(attributeText(one(qualifying, "SignedProperties"), "Id"),
              "Signature1-SignedProperties");
    EXPECT_EQ(attributeText(one(qualifying, "UnsignedProperties"), "Id"),
              "Signature1-UnsignedProperties");
    EXPECT_EQ(one(qualifying, "UnsignedSignatureProperties").getFirstChild(), nullptr);
    // No signing time without the flag; no policy, role or data-object format unless set.
    for (const char* absent :
         {"SigningTime", "SignaturePolicyIdentifier", "SignerRole", "SignedDataObjectProperties"}) {
        EXPECT_TRUE(elementsNamed(qualifying, absent).empty()) << absent;
    }
    // The signing certificate: digest of its DER and issuer/serial, XML-DSig elements as ds.
    const xercesc::DOMElement& certDigest = one(qualifying, "CertDigest");
    const xercesc::DOMElement& method = one(certDigest, "DigestMethod");
    EXPECT_EQ(toUtf8(method.getNamespaceURI()), dsig::kNamespace);
    EXPECT_EQ(toUtf8(method.getPrefix()), "ds");
    EXPECT_EQ(attributeText(method, "Algorithm"), dsig::kSha1);
    EXPECT_EQ(textOf(one(certDigest, "DigestValue")), base64(pki().signer.certificate->sha1Hash()));
    EXPECT_EQ(textOf(one(qualifying, "X509IssuerName")), "CN=Raiz Pruebas, O=Quillion, C=ES");
    EXPECT_EQ(textOf(one(qualifying, "X509SerialNumber")), "19088743");
    // The reference to the signed properties comes after the document's.
    auto references = elementsNamed(signature, "Reference");
    ASSERT_EQ(references.size(), 2u);
    EXPECT_EQ(attributeText(*references[1], "URI"), "#Signature1-SignedProperties");
    EXPECT_EQ(attributeText(*references[1], "Type"), kXades122 + "SignedProperties");
    auto transforms = elementsNamed(*references[1], "Transform");
    ASSERT_EQ(transforms.size(), 1u);
    EXPECT_EQ(attributeText(*transforms[0], "Algorithm"), dsig::kC14n);
    std::string output;
    EXPECT_TRUE(verify(out, &output)) << output;
    // The signed properties are signed: changing the serial number breaks the signature.
    std::string changed = out;
    changed.replace(changed.rfind(">19088743<"), 10, ">19088744<");
    EXPECT_FALSE(verify(changed, &output)) << output;
}

TEST_F(XadesTest, SigningTimeOnlyWithTheFlag) {
    std::string timed = signOk(kDocument, false, true);
    auto document = parseXml(timed);
    std::string value = textOf(one(*document, "SigningTime"));
    EXPECT_TRUE(std::regex_match(value, std::regex("20[0-9]{2}-[01][0-9]-[0-3][0-9]T"
                                                   "[0-2][0-9]:[0-5][0-9]:[0-6][0-9]Z")))
        << value;
    // XAdES carries the time itself: no signing-time Object or reference of its own.
    EXPECT_TRUE(elementsNamed(*document, "SignatureProperty").empty());
    EXPECT_EQ(elementsNamed(*document, "Reference").size(), 2u);
    std::string output;
    EXPECT_TRUE(verify(timed, &output)) << output;
    // The SigningTime setting is written as given.
    set("SigningTime", "2006-12-31T23:59:59Z");
    document = parseXml(signOk(kDocument, false, true));
    EXPECT_EQ(textOf(one(*document, "SigningTime")), "2006-12-31T23:59:59Z");
    set("SigningTime", "");
    EXPECT_TRUE(elementsNamed(*parseXml(signOk(kDocument)), "SigningTime").empty());
}

TEST_F(XadesTest, PolicyImpliedAndPolicyDocuments) {
    set("SignaturePolicyId", "PolicyImplied");
    std::string implied = signOk(kDocument);
    auto document = parseXml(implied);
    const xercesc::DOMElement& identifier = one(*document, "SignaturePolicyIdentifier");
    const xercesc::DOMElement* only = identifier.getFirstElementChild();
    ASSERT_NE(only, nullptr);
    EXPECT_EQ(toUtf8(only->getLocalName()), "SignaturePolicyImplied");
    EXPECT_EQ(only->getFirstChild(), nullptr);
    EXPECT_EQ(only->getNextElementSibling(), nullptr);
    std::string output;
    EXPECT_TRUE(verify(implied, &output)) << output;

    // The same word in lower case is an identifier, which is fetched (and is no URL).
    set("SignaturePolicyId", "policyimplied");
    Result lower = sign(kDocument);
    EXPECT_EQ(lower.hr, static_cast<HRESULT>(0x80044651u));
    EXPECT_NE(lower.description.find("policyimplied"), std::string::npos) << lower.description;

    // A policy file: XML gets a C14N transform and the digest of its canonical form.
    testpki::writeFile(path("policy.xml"),
                       "<?xml version=\"1.0\"?>\n<politica  b='2' a='1'>\r\n<r/></politica>");
    testpki::writeFile(path("policy.pdf"), std::string("%PDF-1.4\n\x00\xff binary", 19));
    for (bool xml : {true, false}) {
        const std::string file = path(xml ? "policy.xml" : "policy.pdf");
        set("SignaturePolicyId", "file://" + file);
        std::string out = signOk(kDocument);
        document = parseXml(out);
        const xercesc::DOMElement& policyId = one(*document, "SignaturePolicyId");
        EXPECT_EQ(textOf(one(policyId, "Identifier")), "file://" + file);
        auto transforms = elementsNamed(policyId, "Transform");
        ASSERT_EQ(transforms.size(), xml ? 1u : 0u);
        if (xml) {
            EXPECT_EQ(attributeText(*transforms[0], "Algorithm"), dsig::kC14n);
            EXPECT_EQ(toUtf8(transforms[0]->getPrefix()), "ds");
        }
        const xercesc::DOMElement& hash = one(policyId, "SigPolicyHash");
        EXPECT_EQ(textOf(one(hash, "DigestValue")), peerDigest(file, xml));
        EXPECT_TRUE(verify(out, &output)) << output;
    }
}

TEST_F(XadesTest, PolicyFetchedOverHttp) {
    const std::string files = path("served");
    testpki::run("mkdir -p " + files);
    testpki::writeFile(files + "/policy.xml", "<politica>\n  <texto>firmar</texto>\n</politica>");
    TestServer server({"--files", files});
    set("SignaturePolicyId", server.url("/files/policy.xml"));
    std::string out = signOk(kDocument);
    auto document = parseXml(out);
    EXPECT_EQ(textOf(one(one(*document, "SigPolicyHash"), "DigestValue")),
              peerDigest(files + "/policy.xml", true));
    std::string output;
    EXPECT_TRUE(verify(out, &output)) << output;

    set("SignaturePolicyId", server.url("/files/missing.xml"));
    Result missing = sign(kDocument);
    EXPECT_EQ(missing.hr, static_cast<HRESULT>(0x80044651u));
    EXPECT_NE(missing.description.find("404"), std::string::npos) << missing.description;
}

TEST_F(XadesTest, SignerRoleAndItsLogLines) {
    std::string plain = signOk(kDocument);
    EXPECT_TRUE(elementsNamed(*parseXml(plain), "SignerRole").empty());
    std::string logged = log.text();
    EXPECT_NE(logged.find("ERROR: Valor de signer Role: \r\n"), std::string::npos) << logged;
    EXPECT_EQ(logged.find("Entro en signerRoleValue"), std::string::npos);

    set("SignerRole", "Director financiero");
    std::string out = signOk(kDocument);
    auto document = parseXml(out);
    const xercesc::DOMElement& role = one(*document, "SignerRole");
    EXPECT_EQ(textOf(one(one(role, "ClaimedRoles"), "ClaimedRole")), "Director financiero");
    logged = log.text();
    EXPECT_NE(logged.find("ERROR: Valor de signer Role: Director financiero"), std::string::npos);
    EXPECT_NE(logged.find("ERROR: Entro en signerRoleValue != vacio, creare el nodo y lo añado al "
                          "claimedRole"),
              std::string::npos);
    std::string output;
    EXPECT_TRUE(verify(out, &output)) << output;
}

TEST_F(XadesTest, DataObjectFormatIsCopiedWithNamespaces) {
    set("XadesDataObjectFormat",
        "<xades:DataObjectFormat ObjectReference=\"#Signature1-Reference1\">"
        "<xades:Description>Factura</xades:Description><xades:MimeType>text/xml</xades:MimeType>"
        "<otro xmlns=\"urn:otro\" xml:lang=\"es\"><n:x xmlns:n=\"urn:n\" n:a=\"1\"/></otro>"
        "</xades:DataObjectFormat>");
    std::string out = signOk(kDocument);
    auto document = parseXml(out);
    const xercesc::DOMElement& holder = one(*document, "SignedDataObjectProperties");
    const xercesc::DOMElement* format = holder.getFirstElementChild();
    ASSERT_NE(format, nullptr);
    EXPECT_EQ(toUtf8(format->getNamespaceURI()), kXades122);
    EXPECT_EQ(toUtf8(format->getLocalName()), "DataObjectFormat");
    EXPECT_EQ(attributeText(*format, "ObjectReference"), "#Signature1-Reference1");
    EXPECT_EQ(textOf(one(*format, "MimeType")), "text/xml");
    EXPECT_EQ(toUtf8(one(*format, "otro").getNamespaceURI()), "urn:otro");
    EXPECT_EQ(toUtf8(one(*format, "x").getNamespaceURI()), "urn:n");
    // After SignedSignatureProperties, inside the signed properties.
    EXPECT_EQ(toUtf8(holder.getPreviousElementSibling()->getLocalName()),
              "SignedSignatureProperties");
    std::string output;
    EXPECT_TRUE(verify(out, &output)) << output;

    for (const char* bad : {"<sin cerrar>", "<foo:bar/>", "texto"}) {
        set("XadesDataObjectFormat", bad);
        Result result = sign(kDocument);
        EXPECT_EQ(result.hr, static_cast<HRESULT>(0x8004465Bu)) << bad;
        EXPECT_EQ(result.description,
                  "Se ha producido un error al crear el objeto SignedDataObjectProperties")
            << bad;
    }
}

// Signing a XAdES document again counter-signs its signature (tests/xmlcosign has the rest).
TEST_F(XadesTest, ACounterSignatureHasSignedPropertiesOfItsOwn) {
    std::string twice = signOk(signOk(kDocument));
    auto document = parseXml(twice);
    EXPECT_EQ(
        idsOf(*document, "SignedProperties"),
        (std::vector<std::string>{"Signature1-SignedProperties", "Signature2-SignedProperties"}));
    std::string output;
    EXPECT_TRUE(verify(twice, &output)) << output;
    EXPECT_TRUE(xmlsecVerify(twice, &output,
                             xadesIds() +
                                 " --id-attr:Id http://www.w3.org/2000/09/xmldsig#:Signature"
                                 " --id-attr:Id http://www.w3.org/2000/09/xmldsig#:SignatureValue"
                                 " --node-id Signature2"))
        << output;
}

TEST_F(XadesTest, PrefixXForBothNamespaces) {
    set("XMLSigNameSpaceID", "x");
    std::string out = signOk(kDocument, false, true);
    auto document = parseXml(out);
    const xercesc::DOMElement& signature = one(*document, "Signature");
    EXPECT_EQ(toUtf8(signature.getPrefix()), "x");
    const xercesc::DOMElement& qualifying = one(signature, "QualifyingProperties");
    EXPECT_EQ(toUtf8(qualifying.getPrefix()), "x");
    EXPECT_EQ(toUtf8(qualifying.getNamespaceURI()), kXades122);
    EXPECT_EQ(toUtf8(one(qualifying, "SigningTime").getPrefix()), "x");
    EXPECT_EQ(toUtf8(one(qualifying, "DigestMethod").getPrefix()), "ds");
    EXPECT_EQ(toUtf8(one(qualifying, "X509IssuerName").getPrefix()), "ds");
    EXPECT_EQ(toUtf8(one(signature, "SignedInfo").getPrefix()), "x");
    std::string output;
    EXPECT_TRUE(verify(out, &output)) << output;
}

TEST_F(XadesTest, Version132) {
    component::content::XadesVersion::set("1.3.2");
    set("EnvelopeType", "ENVELOPING");
    std::string out = signOk(kDocument, false, true);
    auto document = parseXml(out);
    EXPECT_EQ(attributeText(*document->getDocumentElement(), "xmlns:xades"), kXades132);
    EXPECT_EQ(toUtf8(one(*document, "QualifyingProperties").getNamespaceURI()), kXades132);
    auto references = elementsNamed(*document, "Reference");
    ASSERT_EQ(references.size(), 2u);
    EXPECT_EQ(attributeText(*references[1], "Type"), kXades132 + "SignedProperties");
    EXPECT_EQ(idsOf(*document, "Object"),
              (std::vector<std::string>{"Signature1-Object1", "Signature1-Object2"}));
    std::string output;
    EXPECT_TRUE(verify(out, &output)) << output;
}

TEST_F(XadesTest, DetachedWithXades) {
    testpki::writeFile(path("data.txt"), "texto plano");
    set("EnvelopeType", "ENVELOPING");
    std::string out = signOk("file://" + path("data.txt"), true, true);
    auto document = parseXml(out);
    auto references = elementsNamed(*document, "Reference");
    ASSERT_EQ(references.size(), 2u);
    EXPECT_EQ(attributeText(*references[0], "URI"), "file://" + path("data.txt"));
    std::string output;
    EXPECT_TRUE(verify(out, &output)) << output;
}

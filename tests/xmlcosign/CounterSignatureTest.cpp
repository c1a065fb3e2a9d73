// XAdES counter-signing: sign() with "Xades" on a signed document counter-signs every leaf
// signature, in document order, and leaves its placement settings in the table.
#include <xercesc/dom/DOMDocument.hpp>
#include <xercesc/dom/DOMElement.hpp>

#include "CoSignFixture.h"
#include "component/content/XadesVersion.h"
#include "component/signing/LeafSignatureSearch.h"
#include "component/signing/XmlCounterSignature.h"
#include "platform/xml/DomLookup.h"
#include "platform/xml/XmlDsigNames.h"
#include "platform/xml/XmlText.h"

namespace dsig = platform::xml::dsig;
using component::signing::XmlCounterSignature;
using platform::xml::attributeText;
using platform::xml::toUtf8;

namespace {

const std::string kDocument = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                              "<doc><a Id=\"p1\">uno</a><b>dos</b></doc>\n";
constexpr HRESULT kOperation = static_cast<HRESULT>(0x8004465Bu);

const xercesc::DOMElement& signatureById(const xercesc::DOMDocument& document,
                                         const std::string& id) {
    for (const xercesc::DOMElement* s : elementsNamed(document, "Signature")) {
        if (attributeText(*s, "Id") == id) {
            return *s;
        }
    }
    throw std::runtime_error("no signature " + id);
}

std::vector<std::string> referenceUris(const xercesc::DOMElement& signature) {
    std::vector<std::string> uris;
    const xercesc::DOMElement* signedInfo =
        platform::xml::firstChildElement(signature, dsig::kNamespace, "SignedInfo");
    for (const xercesc::DOMElement* r :
         platform::xml::childElements(*signedInfo, dsig::kNamespace, "Reference")) {
        uris.push_back(attributeText(*r, "URI"));
    }
    return uris;
}

// The Id of the signature whose CounterSignature holds this one ("" when it is not a
// counter-signature).
std::string counterSigned(const xercesc::DOMElement& signature) {
    const xercesc::DOMNode* parent = signature.getParentNode();
    if (parent == nullptr || toUtf8(parent->getLocalName()) != "CounterSignature") {
        return "";
    }
    const xercesc::DOMElement* owner =
        platform::xml::ancestorElement(*parent, dsig::kNamespace, "Signature");
    return owner == nullptr ? "?" : attributeText(*owner, "Id");
}

} // namespace

class CounterSignTest : public CoSignTest {
protected:
    void SetUp() override {
        CoSignTest::SetUp();
        set("Xades", "TRUE");
        set("IncludeSigningCertificate", "TRUE");
        set("EnvelopeType", "ENVELOPED");
    }
};

TEST_F(CounterSignTest, OneSignatureGetsACounterSignatureOverItsSignatureValue) {
    std::string once = signOk(kDocument);
    std::string out = signOk(once);
    keepSeed("counter-signed", out);
    ASSERT_EQ(signatureIds(out), (std::vector<std::string>{"Signature1", "Signature2"}));
    auto document = parseXml(out);
    const xercesc::DOMElement& counter = signatureById(*document, "Signature2");
    EXPECT_EQ(counterSigned(counter), "Signature1");
    EXPECT_EQ(referenceUris(counter), (std::vector<std::string>{"#Signature1-SignatureValue1",
                                                                "#Signature2-SignedProperties"}));
    // Its content reference has the C14N transform only.
    auto transforms = elementsNamed(*elementsNamed(counter, "Reference").front(), "Transform");
    ASSERT_EQ(transforms.size(), 1u);
    EXPECT_EQ(attributeText(*transforms[0], "Algorithm"),
              "http://www.w3.org/TR/2001/REC-xml-c14n-20010315");
    // The placement stays in the settings table.
    EXPECT_EQ(settings().get("ElementToSign"), "#Signature1-SignatureValue1");
    EXPECT_EQ(settings().get("ParentElement"),
              "((//ds:Signature)[@Id=\"Signature1\"]/ds:Object/xades:QualifyingProperties/"
              "xades:UnsignedProperties/xades:UnsignedSignatureProperties/"
              "xades:CounterSignature)");
    EXPECT_EQ(settings().get("EnvelopeType"), "ENVELOPED");
    expectAllVerify(out);
}

TEST_F(CounterSignTest, TwoIndependentSignaturesAreCounterSignedInDocumentOrder) {
    std::string two = cosignOk(signOk(kDocument));
    std::string out = signOk(two);
    keepSeed("two-counter-signed", out);
    ASSERT_EQ(signatureIds(out),
              (std::vector<std::string>{"Signature1", "Signature3", "Signature2", "Signature4"}));
    auto document = parseXml(out);
    EXPECT_EQ(counterSigned(signatureById(*document, "Signature3")), "Signature1");
    EXPECT_EQ(counterSigned(signatureById(*document, "Signature4")), "Signature2");
    EXPECT_EQ(referenceUris(signatureById(*document, "Signature4")).front(),
              "#Signature2-SignatureValue1");
    // The last counter-signed signature is what the table keeps.
    EXPECT_EQ(settings().get("ElementToSign"), "#Signature2-SignatureValue1");
    EXPECT_EQ(settings().get("ParentElement"), XmlCounterSignature::parentExpression("Signature2"));
    expectAllVerify(out);
}

TEST_F(CounterSignTest, ACounterSignedSignatureOnlyHasItsLeafCounterSigned) {
    std::string out = signOk(signOk(signOk(kDocument)));
    ASSERT_EQ(signatureIds(out),
              (std::vector<std::string>{"Signature1", "Signature2", "Signature3"}));
    auto document = parseXml(out);
    EXPECT_EQ(counterSigned(signatureById(*document, "Signature2")), "Signature1");
    EXPECT_EQ(counterSigned(signatureById(*document, "Signature3")), "Signature2");
    // Signature1 keeps its one counter-signature.
    auto holders = elementsNamed(signatureById(*document, "Signature1"), "CounterSignature");
    ASSERT_EQ(holders.size(), 2u); // its own, and the one inside Signature2
    EXPECT_EQ(elementsNamed(*holders[0], "Signature").size(), 2u);
    expectAllVerify(out);
}

TEST_F(CounterSignTest, CoSignedTwiceThenCounterSignedVerifiesInDocumentOrder) {
    auto second = certificate(pki().second);
    std::string three = cosignOk(cosignOk(signOk(kDocument), false, second.get()));
    ASSERT_EQ(signatureIds(three),
              (std::vector<std::string>{"Signature1", "Signature2", "Signature3"}));
    std::string out = signOk(three);
    keepSeed("cosigned-counter-signed", out);
    // One counter-signature per signature, each right inside the one it counter-signs.
    EXPECT_EQ(signatureIds(out),
              (std::vector<std::string>{"Signature1", "Signature4", "Signature2", "Signature5",
                                        "Signature3", "Signature6"}));
    long result = 0;
    std::vector<CoSignStatus> statuses = verifyStatuses(out, &result);
    EXPECT_EQ(result, 1);
    ASSERT_EQ(statuses.size(), 6u);
    for (const CoSignStatus& status : statuses) {
        EXPECT_EQ(status.description, "No error");
    }
    EXPECT_EQ(xmlsecFailures(out), std::vector<std::string>{});
}

TEST_F(CounterSignTest, ACounterSignatureOfAChangedDocumentFailsAlone) {
    std::string once = signOk(kDocument);
    std::string out = signOk(once, false, true); // the counter-signature has a SigningTime
    size_t properties = out.find("Id=\"Signature2-SignedProperties\"");
    ASSERT_NE(properties, std::string::npos);
    size_t time = out.find("<xades:SigningTime>", properties);
    ASSERT_NE(time, std::string::npos);
    out.replace(time + 19, 4, "1999");
    std::vector<CoSignStatus> statuses = verifyStatuses(out);
    ASSERT_EQ(statuses.size(), 2u);
    EXPECT_EQ(statuses[0].description, "No error");
    EXPECT_EQ(statuses[1].idError, -1) << statuses[1].description;
    std::vector<std::string> failing = xmlsecFailures(out);
    ASSERT_EQ(failing.size(), 1u);
    EXPECT_EQ(failing[0].substr(0, 11), "Signature2:");
}

TEST_F(CounterSignTest, ASignatureWithoutUnsignedSignaturePropertiesIsRefusedWithNothingWritten) {
    // A XAdES signature beside a plain one: the plain one cannot hold a counter-signature.
    std::string xades = signOk(kDocument);
    set("Xades", "FALSE");
    std::string mixed = cosignOk(xades);
    settings().clear();
    set("HashAlgorithm", "1.3.14.3.2.26");
    set("Xades", "TRUE");
    set("IncludeSigningCertificate", "TRUE");
    set("EnvelopeType", "ENVELOPED");
    Result result = sign(mixed);
    EXPECT_EQ(result.hr, kOperation);
    EXPECT_EQ(result.description, "No se puede contrafirmar la firma Signature2: la firma no "
                                  "tiene el elemento UnsignedSignatureProperties");
    EXPECT_FALSE(settings().contains("ParentElement"));
    EXPECT_FALSE(settings().contains("ElementToSign"));
    EXPECT_EQ(settings().get("EnvelopeType"), "ENVELOPED");
}

TEST_F(CounterSignTest, SignaturesWithoutAUsableIdAreRefused) {
    std::string once = signOk(kDocument);
    const std::string signatureId = " Id=\"Signature1\"";
    ASSERT_NE(once.find(signatureId), std::string::npos);

    std::string withoutId = once;
    withoutId.erase(withoutId.find(signatureId), signatureId.size());
    Result result = sign(withoutId);
    EXPECT_EQ(result.hr, kOperation);
    EXPECT_EQ(result.description, "No se puede contrafirmar la firma sin Id: la firma no tiene Id");

    // id="..." names the signature, but the placement expression looks for @Id.
    std::string lowerCase = once;
    lowerCase.replace(lowerCase.find(signatureId), signatureId.size(), " id=\"Signature1\"");
    result = sign(lowerCase);
    EXPECT_EQ(result.hr, kOperation);
    EXPECT_EQ(result.description, "No se puede contrafirmar la firma Signature1: la expresión " +
                                      XmlCounterSignature::parentExpression("Signature1") +
                                      " no selecciona su elemento CounterSignature");

    // A signature value without the Id the counter-signature would point at.
    std::string renamed = once;
    const std::string valueId = "Id=\"Signature1-SignatureValue1\"";
    renamed.replace(renamed.find(valueId), valueId.size(), "Id=\"valor\"");
    result = sign(renamed);
    EXPECT_EQ(result.hr, kOperation);
    EXPECT_EQ(result.description, "No se puede contrafirmar la firma Signature1: su "
                                  "SignatureValue no tiene el Id Signature1-SignatureValue1");
    EXPECT_FALSE(settings().contains("ParentElement"));
}

TEST_F(CounterSignTest, AFailedCounterSignatureLeavesTheSettingsAsTheyWere) {
    std::string two = cosignOk(signOk(kDocument));
    set("ElementToSign", "");
    set("ParentElement", "");
    set("ReferencesCount", "7");
    set("HashAlgorithm", "2.16.840.1.101.3.4.2.1"); // refused when the first one is signed
    Result result = sign(two);
    EXPECT_EQ(result.hr, static_cast<HRESULT>(0x8004465Au)) << result.description;
    EXPECT_EQ(settings().get("ElementToSign"), "");
    EXPECT_EQ(settings().get("ParentElement"), "");
    EXPECT_EQ(settings().get("EnvelopeType"), "ENVELOPED");
    EXPECT_EQ(settings().get("ReferencesCount"), "7");
}

TEST_F(CounterSignTest, AnUnsignedDocumentGetsOneXadesSignature) {
    std::string out = signOk(kDocument);
    EXPECT_EQ(signatureIds(out), std::vector<std::string>{"Signature1"});
    EXPECT_FALSE(settings().contains("ParentElement"));
    EXPECT_NE(out.find("<xades:UnsignedSignatureProperties/>"), std::string::npos);
}

TEST_F(CounterSignTest, ThePrefixOfTheSettingsNamesTheCounterSignatureElement) {
    std::string once = signOk(kDocument);
    set("XMLSigNameSpaceID", "x");
    std::string out = signOk(once);
    auto document = parseXml(out);
    auto holders = elementsNamed(*document, "CounterSignature");
    ASSERT_EQ(holders.size(), 1u);
    EXPECT_EQ(toUtf8(holders[0]->getPrefix()), "x");
    EXPECT_EQ(toUtf8(holders[0]->getNamespaceURI()), "http://uri.etsi.org/01903/v1.2.2#");
    EXPECT_EQ(counterSigned(signatureById(*document, "Signature2")), "Signature1");
    expectAllVerify(out);
}

TEST(LeafSignatureSearch, LeavesAreTheSignaturesNoReferenceCounterSigns) {
    const std::string ds = "xmlns:ds=\"http://www.w3.org/2000/09/xmldsig#\"";
    auto document = parseXml(
        "<doc " + ds +
        "><ds:Signature Id=\"A\"/><ds:Signature id=\"x\" Id=\"B\"/><ds:Signature Id=\"y\" "
        "ID=\"C\"/><ds:Signature/><other:Signature xmlns:other=\"urn:other\" Id=\"D\"/>"
        "<ds:Reference URI=\"#A-SignatureValue1\"/><ds:Reference URI=\"#B-SignatureValue2\"/>"
        "<ds:Reference URI=\"C-SignatureValue1\"/></doc>");
    std::vector<component::signing::LeafSignature> leaves =
        component::signing::findLeafSignatures(*document);
    std::vector<std::string> ids;
    for (const auto& leaf : leaves) {
        ids.push_back(leaf.id);
        EXPECT_EQ(toUtf8(leaf.element->getLocalName()), "Signature");
    }
    // A is counter-signed; the last of Id, id and ID in the DOM's attribute order (sorted by
    // name: ID, Id, id) names the others; D is no XML-DSig signature.
    EXPECT_EQ(ids, (std::vector<std::string>{"x", "y", ""}));
}

TEST_F(CounterSignTest, ASignatureOfAnotherXadesVersionIsRefused) {
    std::string once = signOk(kDocument); // 1.2.2
    component::content::XadesVersion::set("1.3.2");
    Result result = sign(once);
    EXPECT_EQ(result.hr, kOperation);
    EXPECT_EQ(result.description, "No se puede contrafirmar la firma Signature1: la firma no "
                                  "tiene el elemento UnsignedSignatureProperties");
    // In its own version it is counter-signed.
    std::string current = signOk(kDocument);
    ASSERT_EQ(signatureIds(current), std::vector<std::string>{"Signature1"});
    std::string out = signOk(current);
    EXPECT_EQ(signatureIds(out), (std::vector<std::string>{"Signature1", "Signature2"}));
    EXPECT_EQ(verifyStatuses(out).size(), 2u);
    for (const CoSignStatus& status : verifyStatuses(out)) {
        EXPECT_EQ(status.description, "No error");
    }
}

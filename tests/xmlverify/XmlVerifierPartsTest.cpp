// The pieces of the XML verifier that read texts of the document (signing-time positions,
// recipient names and serial numbers), and the verifier on untrusted XML.
#include <gtest/gtest.h>

#include "DsigTemplates.h"
#include "XmlTestSupport.h"
#include "XmlVerifyFixture.h"
#include "component/verification/XmlRecipientLookup.h"
#include "component/verification/XmlSigningTime.h"
#include "platform/stores/FolderStore.h"
#include "platform/xml/XmlParser.h"

using component::verification::XmlRecipientLookup;
using component::verification::XmlSigningTime;
using namespace dsigtemplate;

TEST(XmlSigningTimeNumbers, ReadAtPositionsAsStrtolWould) {
    EXPECT_EQ(XmlSigningTime::numberAt("2006-12-31", 0, 3), 2006);
    EXPECT_EQ(XmlSigningTime::numberAt("2006-12-31", 5, 6), 12);
    EXPECT_EQ(XmlSigningTime::numberAt("2006-12-31", 8, 9), 31);
    // Fewer characters where the text ends first.
    EXPECT_EQ(XmlSigningTime::numberAt("2006-12-3", 8, 9), 3);
    // Past the end: no number.
    EXPECT_EQ(XmlSigningTime::numberAt("2006-12-31", 10, 11), std::nullopt);
    EXPECT_EQ(XmlSigningTime::numberAt("", 0, 3), std::nullopt);
    // Blanks and a sign, digits up to the first other character, none gives 0.
    EXPECT_EQ(XmlSigningTime::numberAt(" -7x", 0, 3), -7);
    EXPECT_EQ(XmlSigningTime::numberAt("\t+42", 0, 3), 42);
    EXPECT_EQ(XmlSigningTime::numberAt("ab12", 0, 3), 0);
    EXPECT_EQ(XmlSigningTime::numberAt("1:5", 0, 2), 1);
}

namespace {

// The signing time of the first ds:Signature of the text.
XmlSigningTime::Outcome timeOf(const std::string& objects,
                               platform::certificates::ChainTime& time) {
    std::string text = "<ds:Signature xmlns:ds=\"" + xmltemplate::kDsig +
                       "\" xmlns:xades=\"urn:any\">" + objects + "</ds:Signature>";
    platform::xml::DocumentPtr document = xmltest::parse(text);
    return XmlSigningTime::read(*document->getDocumentElement(), time);
}

std::string xadesObject(const std::string& content) {
    return "<ds:Object><xades:QualifyingProperties>" + content +
           "</xades:QualifyingProperties></ds:Object>";
}

std::string propertiesObject(const std::string& date, const std::string& time) {
    return "<ds:Object><SignatureProperties><SignatureProperty><timestamp><date>" + date +
           "</date><time>" + time +
           "</time></timestamp></SignatureProperty>"
           "</SignatureProperties></ds:Object>";
}

} // namespace

TEST(XmlSigningTimeObjects, LaterObjectsOverrideAndQualifyingPropertiesWithoutTimeClear) {
    platform::certificates::ChainTime t;
    ASSERT_EQ(timeOf(propertiesObject("20061231", "23:59:59+01:00"), t),
              XmlSigningTime::Outcome::Found);
    EXPECT_EQ(t.year, 2006);
    EXPECT_EQ(t.month, 12);
    EXPECT_EQ(t.day, 31);
    EXPECT_EQ(t.hour, 23);
    EXPECT_EQ(t.minute, 59);
    EXPECT_EQ(t.second, 59);

    ASSERT_EQ(timeOf(propertiesObject("20061231", "23:59:59") +
                         xadesObject("<xades:SigningTime>2010-02-03T04:05:06Z</xades:SigningTime>"),
                     t),
              XmlSigningTime::Outcome::Found);
    EXPECT_EQ(t.year, 2010);
    EXPECT_EQ(t.second, 6);

    EXPECT_EQ(timeOf(propertiesObject("20061231", "23:59:59") + xadesObject("<other/>"), t),
              XmlSigningTime::Outcome::NotFound);
    // Only the prefix "xades" is read, and only the first child of an Object.
    EXPECT_EQ(timeOf("<ds:Object><x:QualifyingProperties xmlns:x=\"urn:any\"><x:SigningTime>"
                     "2010-02-03T04:05:06Z</x:SigningTime></x:QualifyingProperties></ds:Object>",
                     t),
              XmlSigningTime::Outcome::NotFound);
    EXPECT_EQ(timeOf("<ds:Object><nota/>" + propertiesObject("20061231", "23:59:59").substr(11), t),
              XmlSigningTime::Outcome::NotFound);
}

TEST(XmlSigningTimeObjects, UnreadableTimes) {
    platform::certificates::ChainTime t;
    EXPECT_EQ(timeOf(xadesObject("<xades:SigningTime>2006-12-31</xades:SigningTime>"), t),
              XmlSigningTime::Outcome::Unreadable);
    EXPECT_EQ(timeOf(xadesObject("<xades:SigningTime></xades:SigningTime>"), t),
              XmlSigningTime::Outcome::Unreadable);
    // SignatureProperties that cannot be read are skipped, a time before them kept whole.
    t = {};
    ASSERT_EQ(timeOf(xadesObject("<xades:SigningTime>2010-02-03T04:05:06Z</xades:SigningTime>") +
                         propertiesObject("20061231", "2"),
                     t),
              XmlSigningTime::Outcome::Found);
    EXPECT_EQ(t.year, 2010);
    EXPECT_EQ(t.hour, 4);
    EXPECT_EQ(timeOf(propertiesObject("2006", "23:59:59"), t), XmlSigningTime::Outcome::NotFound);
}

TEST(XmlRecipientNames, IssuersCompareAsSetsOfPairs) {
    const std::string rendered = "CN=Raiz de pruebas, O=Quillion, C=ES";
    EXPECT_TRUE(XmlRecipientLookup::sameIssuer("CN=Raiz de pruebas,O=Quillion,C=ES", rendered));
    EXPECT_TRUE(XmlRecipientLookup::sameIssuer("C=ES, cn=Raiz de pruebas ,O= Quillion", rendered));
    EXPECT_FALSE(XmlRecipientLookup::sameIssuer("CN=Raiz de Pruebas, O=Quillion, C=ES", rendered));
    EXPECT_FALSE(XmlRecipientLookup::sameIssuer("CN=Raiz de pruebas, O=Quillion", rendered));
    EXPECT_FALSE(XmlRecipientLookup::sameIssuer("", ""));
}

TEST(XmlRecipientNames, SerialNumbersInDecimalOrHexadecimal) {
    const std::vector<unsigned char> serial300 = {0x01, 0x2C};
    EXPECT_TRUE(XmlRecipientLookup::serialInDecimal(serial300, "300"));
    EXPECT_TRUE(XmlRecipientLookup::serialInDecimal(serial300, " 300\n"));
    EXPECT_FALSE(XmlRecipientLookup::serialInDecimal(serial300, "0300"));
    EXPECT_TRUE(XmlRecipientLookup::serialInHex(serial300, "012C"));
    EXPECT_TRUE(XmlRecipientLookup::serialInHex(serial300, "12c"));
    EXPECT_FALSE(XmlRecipientLookup::serialInHex(serial300, "300"));
    EXPECT_FALSE(XmlRecipientLookup::serialInHex(serial300, "12G"));
    // A leading zero octet (a positive INTEGER with its high bit set) does not count.
    EXPECT_TRUE(XmlRecipientLookup::serialInHex({0x00, 0x80}, "80"));
    EXPECT_TRUE(XmlRecipientLookup::serialInDecimal({0x00, 0x80}, "128"));
}

class XmlRecipientStore : public XmlVerifyTest {};

TEST_F(XmlRecipientStore, DecimalSerialNumbersWinOverTheSameDigitsInHexadecimal) {
    // Serial 0x12 (18) and serial 12, one issuer: "12" names the second one.
    auto my = platform::stores::FolderStore::open(platform::stores::StoreLocation::CurrentUser,
                                                  "MY", false);
    std::vector<testpki::Issued> issued;
    for (long serial : {0x12L, 12L}) {
        issued.push_back(testpki::issue({.subject = "CN=Destino " + std::to_string(serial),
                                         .keyUsage = "keyEncipherment",
                                         .serial = serial},
                                        &root));
        my->add(issued.back().certificate, issued.back().key.get(), "");
    }
    platform::xml::DocumentPtr document = xmltest::parse(
        "<e xmlns:ds=\"" + xmltemplate::kDsig +
        "\"><ds:X509IssuerName>CN=Raiz de pruebas,O=Quillion,C=ES</ds:X509IssuerName>"
        "<ds:X509SerialNumber>12</ds:X509SerialNumber></e>");
    component::verification::XmlRecipient found =
        XmlRecipientLookup::find(*document->getDocumentElement());
    ASSERT_TRUE(found.certificate);
    EXPECT_TRUE(found.certificate->sameAs(*issued[1].certificate));
    ASSERT_TRUE(found.provider);
    EXPECT_NE(found.provider->privateKey(), nullptr);
}

class UntrustedXml : public XmlVerifyTest {};

TEST_F(UntrustedXml, EntityDeclarationsAndExternalDocumentsAreNeverExpandedOrRead) {
    std::string signedText = xmlsecSign(document(xmltemplate::withKeyInfo(
        signature({reference("", {transform(kEnveloped), transform(kC14n)})}))));
    ASSERT_EQ(verifyXml(signedText).result, 1);
    // The declaration goes after the XML declaration of the signed document.
    size_t body = signedText.find("?>") + 2;
    std::string lol = "<!ENTITY lol \"lol\">";
    for (int i = 1; i < 10; ++i) {
        std::string previous = i == 1 ? "lol" : "lol" + std::to_string(i - 1);
        std::string ten;
        for (int k = 0; k < 10; ++k) {
            ten += "&" + previous + ";";
        }
        lol += "<!ENTITY lol" + std::to_string(i) + " \"" + ten + "\">";
    }
    xmltest::LoopbackListener listener;
    std::string remote = "http://127.0.0.1:" + std::to_string(listener.port()) + "/d.dtd";
    testpki::writeFile(path("secret.txt"), "TOP-SECRET-TEXT");
    for (const std::string& doctype :
         {"<!DOCTYPE doc [" + lol + "]>", "<!DOCTYPE doc SYSTEM \"" + remote + "\">",
          "<!DOCTYPE doc [<!ENTITY x SYSTEM \"file://" + path("secret.txt") + "\">]>"}) {
        std::string text = signedText;
        text.insert(body, "\n" + doctype);
        Verification v = verifyXml(text);
        EXPECT_EQ(v.hr, S_OK);
        EXPECT_FALSE(listener.connected()) << doctype;
        EXPECT_EQ(v.content.find("TOP-SECRET-TEXT"), std::string::npos);
        EXPECT_EQ(v.content.find("lollol"), std::string::npos);
        if (doctype.find("ENTITY") != std::string::npos) {
            // Refused before the document element: nothing to verify.
            EXPECT_EQ(v.result, 0) << doctype;
            EXPECT_TRUE(v.statuses.empty());
        }
    }
}

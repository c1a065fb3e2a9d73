#include "component/certificates/CertificateFields.h"
#include "component/certificates/DistinguishedName.h"

#include <gtest/gtest.h>

#include "StoreTestSupport.h"
#include "component/module/SettingsTable.h"

using namespace component::certificates;
using platform::certificates::CertificateObject;

namespace {

class Settings {
public:
    Settings(const std::string& format, const std::string& changed = "") {
        auto& s = component::module::SettingsTable::instance();
        s.set("DNFormat", format);
        s.set("DNFormatChanged", changed);
    }
    ~Settings() {
        auto& s = component::module::SettingsTable::instance();
        s.set("DNFormat", "");
        s.set("DNFormatChanged", "");
    }
};

CertificateObject objectFor(const testpki::Issued& issued) {
    return CertificateObject(issued.certificate);
}

} // namespace

TEST(TransformDN, RuleSetsBetweenFormats) {
    EXPECT_EQ(transformDN("CN=A, OID.2.5.4.5=123, S=Madrid", false, "Ms", "Java"),
              "CN=A, SERIALNUMBER=123, ST=Madrid");
    EXPECT_EQ(transformDN("CN=A, e=x@y.z", false, "Ms", "Java"), "CN=A, EMAILADDRESS=x@y.z");
    EXPECT_EQ(transformDN("SERIALNUMBER", true, "Java", "Ms"), "OID.2.5.4.5");
    EXPECT_EQ(transformDN("SERIALNUMBER", true, "Java", "MsSP3"), "SERIALNUMBER");
    EXPECT_EQ(transformDN("ST", true, "Java", ""), "S");
    EXPECT_EQ(
        transformDN("CN=A, SERIALNUMBER=1, E=a@b, S=M, G=J, SN=P, I=X", false, "MsSP3", "Java"),
        "CN=A, SERIALNUMBER=1, EMAILADDRESS=a@b, ST=M, GIVENNAME=J, SURNAME=P, INITIALS=X");
    EXPECT_EQ(transformDN("CN=A, SERIALNUMBER=1", false, "MsSP3", "Ms"), "CN=A, OID.2.5.4.5=1");
    // Equal or unknown formats convert nothing.
    EXPECT_EQ(transformDN("S=x, E=y", false, "Java", "Java"), "S=x, E=y");
    EXPECT_EQ(transformDN("S=x", false, "Other", "Java"), "S=x");
    // Only whole attribute names after a separator are converted.
    EXPECT_EQ(transformDN("CN=IS=x", false, "Ms", "Java"), "CN=IS=x");
}

TEST(DNAttribute, PlainQuotedAndMissing) {
    EXPECT_EQ(getDNAttribute("CN", "CN=Juan, O=ACME, C=ES"), "Juan");
    EXPECT_EQ(getDNAttribute("O", "CN=Juan, O=\"ACME, S.A.\", C=ES"), "ACME, S.A.");
    EXPECT_EQ(getDNAttribute("O", "CN=Juan, O=\"open"), "open");
    EXPECT_EQ(getDNAttribute("C", "CN=Juan, O=ACME, C=ES"), "ES");
    EXPECT_EQ(getDNAttribute("L", "CN=Juan"), "");
    EXPECT_EQ(getDNAttribute("ALL", "CN=Juan"), "CN=Juan");
}

TEST(CertificateFields, FieldVocabulary) {
    testpki::TempHome home;
    Settings settings("");
    testpki::Issued ca =
        testpki::issue({.subject = "CN=AC (Pruebas), O=ACME, C=ES", .ca = true}, nullptr);
    testpki::Issued c = testpki::issue(
        {.subject = "CN=JUAN, SERIALNUMBER=12345678Z, E=juan@acme.es, O=\"ACME, S.A.\", C=ES",
         .keyUsage = "digitalSignature,nonRepudiation",
         .extendedKeyUsage = {"emailProtection", "clientAuth"},
         .policies = "1.3.6.1.4.1.99.1",
         .serial = 0xABCD},
        &ca);
    CertificateObject object = objectFor(c);
    CertificateFields fields(object);
    EXPECT_EQ(fields.fieldValue("Subject|CN"), "JUAN");
    EXPECT_EQ(fields.fieldValue("Subject|O"), "ACME, S.A.");
    EXPECT_EQ(fields.fieldValue("Subject|SERIALNUMBER"), "12345678Z");
    EXPECT_EQ(fields.fieldValue("Subject|EMAILADDRESS"), "juan@acme.es");
    EXPECT_EQ(fields.fieldValue("Issuer|CN"), "AC (Pruebas)");
    EXPECT_EQ(fields.fieldValue("SN"), "ABCD");
    EXPECT_EQ(fields.fieldValue("Extension|2.5.29.15"), "digitalSignature,nonRepudiation");
    EXPECT_EQ(fields.fieldValue("Extension|2.5.29.37"), "1.3.6.1.5.5.7.3.4,1.3.6.1.5.5.7.3.2");
    EXPECT_EQ(fields.fieldValue("Extension|2.5.29.32"), "1.3.6.1.4.1.99.1");
    EXPECT_EQ(fields.fieldValue("SKI").size(), 40u);
    EXPECT_EQ(fields.fieldValue("AKI"), CertificateFields(objectFor(ca)).fieldValue("SKI"));
    EXPECT_EQ(fields.fieldValue("Unknown"), "");
    EXPECT_EQ(fields.fieldValue("NotAfter").size(), 20u);
    EXPECT_EQ(fields.fieldValue("NotAfter").back(), 'Z');
    // With the "Ms" names configured, the Java attribute name is looked up as OID.2.5.4.5,
    // which this platform does not render.
    Settings ms("Ms");
    EXPECT_EQ(fields.fieldValue("Subject|SERIALNUMBER"), "");
}

TEST(CertificateFields, KeyUsageFlags) {
    testpki::Issued none = testpki::issue({.subject = "CN=None"}, nullptr);
    std::array<bool, 16> all = keyUsageFlags(*none.certificate);
    for (size_t i = 0; i < 16; ++i) {
        EXPECT_EQ(all[i], i < 9) << i;
    }
    testpki::Issued enc =
        testpki::issue({.subject = "CN=Enc", .keyUsage = "keyEncipherment,decipherOnly"}, nullptr);
    std::array<bool, 16> flags = keyUsageFlags(*enc.certificate);
    EXPECT_FALSE(flags[0]);
    EXPECT_TRUE(flags[2]);
    EXPECT_TRUE(flags[8]);
}

TEST(CertificateFields, RestrictionDatesAndPieces) {
    EXPECT_EQ(formatRestrictionDate("2010-05-03T14:03:22Z"), "Mon May 03 14:03:22 CET 2010");
    EXPECT_EQ(formatRestrictionDate("2024-02-29T10:00:05Z"), "Thu Feb 29 10:00:05 CET 2024");
    EXPECT_EQ(splitPieces("a$$$b$c$$$$$$d"), (std::vector<std::string>{"a", "b$c", "d"}));
    EXPECT_TRUE(splitPieces("").empty());
}

TEST(CertificateFields, TrustEntitiesAndRestrictions) {
    testpki::Issued ca =
        testpki::issue({.subject = "CN=AC (Pruebas), O=ACME, C=ES", .ca = true}, nullptr);
    testpki::Issued c = testpki::issue(
        {.subject = "CN=JUAN, SERIALNUMBER=1234, C=ES", .keyUsage = "digitalSignature"}, &ca);
    CertificateObject object = objectFor(c);
    CertificateFields fields(object);
    EXPECT_TRUE(fields.isIssuedByTrustEntity("CN=AC (Pruebas), O=ACME, C=ES"));
    EXPECT_TRUE(fields.isIssuedByTrustEntity("CN=AC(Pruebas),O=ACME,C=ES"));
    EXPECT_FALSE(fields.isIssuedByTrustEntity("CN=Otra AC, O=ACME, C=ES"));
    EXPECT_TRUE(fields.matchesRestriction("Subject|CN", "JU.N"));
    EXPECT_FALSE(fields.matchesRestriction("Subject|L", ".*"));
    EXPECT_TRUE(fields.matchesRestriction("Extension|2.5.29.15", "digitalSignature"));
    std::vector<std::string> entities = {"CN=Otra", "CN=AC (Pruebas), O=ACME, C=ES"};
    EXPECT_TRUE(fields.matchesRestrictions(entities,
                                           {{"x", "y"}, {"Subject|CN$$$Subject|C", "JUAN$$$ES"}}));
    EXPECT_FALSE(
        fields.matchesRestrictions(entities, {{"", ""}, {"Subject|CN$$$Subject|C", "JUAN$$$FR"}}));
    EXPECT_TRUE(fields.matchesRestrictions(entities, {}));
    EXPECT_FALSE(fields.matchesRestrictions({"CN=Nadie"}, {}));
}

TEST(CertificateFields, InfoRowsAndDescriptions) {
    testpki::Issued c = testpki::issue({.subject = "CN=JUAN, O=ACME"}, nullptr);
    CertificateObject object = objectFor(c);
    CertificateFields fields(object);
    auto rows = fields.info({"Subject|CN", "Subject|O", "Subject|L", "Subject"},
                            {"([A-Z]+)", "AC", ".*", "CN=(J)(U)"}, {"", "const", "", ""});
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0], (std::vector<std::string>{"Subject|CN", "JUAN"}));
    EXPECT_EQ(rows[1], (std::vector<std::string>{"Subject|O", "const"}));
    // An absent attribute is an empty value, which ".*" matches.
    EXPECT_EQ(rows[2], (std::vector<std::string>{"Subject|L", ""}));
    EXPECT_EQ(rows[3], (std::vector<std::string>{"Subject", "J", "U"}));
    EXPECT_TRUE(fields.info({}, {}, {}).empty());
    EXPECT_THROW(fields.info({"Subject"}, {"(unclosed"}, {""}), std::invalid_argument);
    ASSERT_EQ(CertificateFields::descriptions().size(), 8u);
    EXPECT_EQ(CertificateFields::descriptions()[1].second, "Subject - Número de serie del asunto");
}

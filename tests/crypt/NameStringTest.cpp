#include "platform/crypt/NameString.h"

#include <gtest/gtest.h>

#include "CryptTestSupport.h"
#include "TestPki.h"

using namespace platform::crypt;

namespace {

constexpr uint32_t kWindows = name_str::X500 | name_str::REVERSE_FLAG;

std::string roundTrip(const std::string& text, uint32_t flags = kWindows) {
    return nameToString(stringToName(text, flags), flags);
}

int firstValueType(const std::vector<unsigned char>& der) {
    const unsigned char* p = der.data();
    X509NamePtr name(d2i_X509_NAME(nullptr, &p, static_cast<long>(der.size())));
    return ASN1_STRING_type(X509_NAME_ENTRY_get_data(X509_NAME_get_entry(name.get(), 0)));
}

} // namespace

TEST(NameString, WindowsOrderIsMostSpecificFirst) {
    std::vector<unsigned char> der = stringToName("CN=Juan, O=ACME, C=ES", kWindows);
    EXPECT_EQ(nameToString(der, kWindows), "CN=Juan, O=ACME, C=ES");
    // Encoding order puts the country first.
    EXPECT_EQ(nameToString(der, name_str::X500), "C=ES, O=ACME, CN=Juan");
    EXPECT_EQ(nameToString(der, name_str::OID | name_str::REVERSE_FLAG),
              "2.5.4.3=Juan, 2.5.4.10=ACME, 2.5.4.6=ES");
    EXPECT_EQ(nameToString(der, name_str::SIMPLE | name_str::REVERSE_FLAG), "Juan, ACME, ES");
    EXPECT_EQ(nameToString(der, kWindows | name_str::SEMICOLON_FLAG), "CN=Juan; O=ACME; C=ES");
}

TEST(NameString, MsSP3AttributeNames) {
    std::string text = "E=juan@acme.es, SERIALNUMBER=12345678Z, CN=Juan, S=Madrid, L=Getafe, "
                       "G=Juan, SN=Perez, I=JP, T=Jefe, OU=IT, O=ACME, DC=acme, C=ES";
    EXPECT_EQ(roundTrip(text), text);
    // Keys are case-insensitive and OIDs are accepted; unknown OIDs render as OID.x.
    EXPECT_EQ(roundTrip("cn=a, OID.2.5.4.5=9, 1.2.3.4=x"), "CN=a, SERIALNUMBER=9, OID.1.2.3.4=x");
    // The e-mail address is an IA5String.
    EXPECT_EQ(firstValueType(stringToName("E=a@b.c", kWindows)), V_ASN1_IA5STRING);
}

TEST(NameString, QuotingAsWindowsDoes) {
    EXPECT_EQ(roundTrip("CN=\"Perez, Juan\", O=ACME"), "CN=\"Perez, Juan\", O=ACME");
    EXPECT_EQ(roundTrip("CN=\"say \"\"hi\"\"\""), "CN=\"say \"\"hi\"\"\"");
    EXPECT_EQ(roundTrip("CN=\" padded \""), "CN=\" padded \"");
    EXPECT_EQ(roundTrip("CN=a=b"), "CN=\"a=b\"");
    EXPECT_EQ(roundTrip("CN=AC (Pruebas), O=x"), "CN=AC (Pruebas), O=x");
    EXPECT_EQ(
        nameToString(stringToName("CN=\"a,b\"", kWindows), kWindows | name_str::NO_QUOTING_FLAG),
        "CN=a,b");
}

TEST(NameString, MultiValuedNames) {
    // Members of one relative name are kept in their DER (sorted) order.
    EXPECT_EQ(roundTrip("CN=Juan + SERIALNUMBER=1234, O=ACME"),
              "CN=Juan + SERIALNUMBER=1234, O=ACME");
    EXPECT_EQ(roundTrip("SERIALNUMBER=1234 + CN=Juan, O=ACME"),
              "CN=Juan + SERIALNUMBER=1234, O=ACME");
}

TEST(NameString, NonAsciiValuesAndTheT61Option) {
    std::string text = "CN=José Núñez, O=Compañía";
    EXPECT_EQ(roundTrip(text), text);
    EXPECT_EQ(firstValueType(stringToName("CN=José", kWindows)), V_ASN1_BMPSTRING);
    std::vector<unsigned char> t61 =
        stringToName("CN=José", kWindows | name_str::ENABLE_T61_UNICODE_FLAG);
    EXPECT_EQ(firstValueType(t61), V_ASN1_T61STRING);
    EXPECT_EQ(nameToString(t61, kWindows), "CN=José");
    // Beyond Latin-1 the T.61 option does not apply.
    EXPECT_EQ(
        firstValueType(stringToName("CN=Ωmega", kWindows | name_str::ENABLE_T61_UNICODE_FLAG)),
        V_ASN1_BMPSTRING);
    EXPECT_EQ(
        firstValueType(stringToName("CN=José", kWindows | name_str::ENABLE_UTF8_UNICODE_FLAG)),
        V_ASN1_UTF8STRING);
    EXPECT_EQ(firstValueType(stringToName("CN=Plain", kWindows)), V_ASN1_PRINTABLESTRING);
}

TEST(NameString, MalformedTextsAreRefused) {
    EXPECT_CRYPT_ERROR(stringToName("CN", kWindows), CRYPT_E_INVALID_X500_STRING);
    EXPECT_CRYPT_ERROR(stringToName("XX=1", kWindows), CRYPT_E_INVALID_X500_STRING);
    EXPECT_CRYPT_ERROR(stringToName("CN=\"open", kWindows), CRYPT_E_INVALID_X500_STRING);
    EXPECT_CRYPT_ERROR(stringToName("=x", kWindows), CRYPT_E_INVALID_X500_STRING);
    EXPECT_CRYPT_ERROR(stringToName("CN=\xff\xfe", kWindows), CRYPT_E_INVALID_X500_STRING);
    EXPECT_CRYPT_ERROR(nameToString(std::vector<unsigned char>{0x04, 0x00}, kWindows), 0x8009310B);
    EXPECT_TRUE(stringToName("", kWindows).size() == 2); // empty SEQUENCE
}

TEST(NameString, AgreesWithOpensslRendering) {
    testpki::TempHome home;
    testpki::Issued cert = testpki::issue({.subject = "CN=Juan, OU=IT, O=ACME, C=ES"}, nullptr);
    testpki::writeFile(home.path() + "/c.pem", cert.certificate->pem());
    std::string out;
    ASSERT_EQ(
        testpki::run("openssl x509 -noout -subject -nameopt RFC2253 -in " + home.path() + "/c.pem",
                     &out),
        0);
    EXPECT_EQ(out, "subject=CN=Juan,OU=IT,O=ACME,C=ES\n");
    EXPECT_EQ(cert.certificate->subjectName(), "CN=Juan, OU=IT, O=ACME, C=ES");
}

#include "platform/crypt/Certificate.h"

#include <gtest/gtest.h>

#include "CryptTestSupport.h"
#include "TestPki.h"
#include "platform/crypt/CryptErrors.h"
#include "stream/Base64.h"

using namespace platform::crypt;

TEST(Certificate, DecodesDerPemAndBase64) {
    testpki::Issued issued =
        testpki::issue({.subject = "CN=Juan, O=ACME, C=ES", .serial = 0x1A2B}, nullptr);
    const std::vector<unsigned char>& der = issued.certificate->der();
    std::string derText(der.begin(), der.end());
    EXPECT_TRUE(Certificate::fromEncoded(derText)->sameAs(*issued.certificate));
    EXPECT_TRUE(Certificate::fromEncoded(issued.certificate->pem())->sameAs(*issued.certificate));
    std::string b64 = stream::Base64::encode(derText);
    EXPECT_TRUE(Certificate::fromEncoded(b64)->sameAs(*issued.certificate));
    EXPECT_EQ(issued.certificate->serialNumber(), "1A2B");
    EXPECT_EQ(issued.certificate->subjectName(), "CN=Juan, O=ACME, C=ES");
    EXPECT_TRUE(issued.certificate->isSelfIssued());
    EXPECT_LT(issued.certificate->notBefore(), issued.certificate->notAfter());

    EXPECT_CRYPT_ERROR(Certificate::fromEncoded("not a certificate"), errors::CRYPT_E_ASN1_BADTAG);
    EXPECT_CRYPT_ERROR(Certificate::fromEncoded(derText.substr(0, derText.size() / 2)),
                       errors::CRYPT_E_ASN1_BADTAG);
    EXPECT_CRYPT_ERROR(Certificate::fromEncoded(""), errors::CRYPT_E_ASN1_BADTAG);
}

TEST(Certificate, HashAndKeyIdentifierAgreeWithOpenssl) {
    testpki::TempHome home;
    testpki::Issued issued = testpki::issue({.subject = "CN=Hash"}, nullptr);
    testpki::writeFile(home.path() + "/c.pem", issued.certificate->pem());
    std::string out;
    ASSERT_EQ(
        testpki::run("openssl x509 -noout -fingerprint -sha1 -in " + home.path() + "/c.pem", &out),
        0);
    std::string fp;
    for (unsigned char b : issued.certificate->sha1Hash()) {
        char buf[4];
        snprintf(buf, sizeof buf, "%02X:", b);
        fp += buf;
    }
    fp.pop_back();
    EXPECT_NE(out.find(fp), std::string::npos) << out << " vs " << fp;
    ASSERT_EQ(
        testpki::run("openssl x509 -noout -ext subjectKeyIdentifier -in " + home.path() + "/c.pem",
                     &out),
        0);
    std::string ski;
    for (unsigned char b : issued.certificate->keyIdentifier()) {
        char buf[4];
        snprintf(buf, sizeof buf, "%02X:", b);
        ski += buf;
    }
    ski.pop_back();
    EXPECT_NE(out.find(ski), std::string::npos) << out;
    // Without the extension the identifier is still there (hash of the key).
    testpki::Issued bare = testpki::issue({.subject = "CN=Bare", .subjectKeyId = false}, nullptr);
    EXPECT_EQ(bare.certificate->keyIdentifier().size(), 20u);
    EXPECT_FALSE(bare.certificate->extension("2.5.29.14").has_value());
}

TEST(Certificate, ExtensionsAndExtendedKeyUsage) {
    testpki::Issued issued = testpki::issue({.subject = "CN=Ext",
                                             .keyUsage = "digitalSignature,nonRepudiation",
                                             .extendedKeyUsage = {"emailProtection", "1.2.3.4"}},
                                            nullptr);
    EXPECT_EQ(issued.certificate->extendedKeyUsage(),
              (std::vector<std::string>{"1.3.6.1.5.5.7.3.4", "1.2.3.4"}));
    auto ku = issued.certificate->extension("2.5.29.15");
    ASSERT_TRUE(ku.has_value());
    // BIT STRING, length 2, 6 unused bits, 0xC0.
    EXPECT_EQ(*ku, (std::vector<unsigned char>{0x03, 0x02, 0x06, 0xC0}));
    bool critical = false;
    for (const CertificateExtension& e : issued.certificate->extensions()) {
        if (e.oid == "2.5.29.15") {
            critical = e.critical;
        }
    }
    EXPECT_TRUE(critical);
}

TEST(Certificate, ReadsPemBundles) {
    testpki::Issued a = testpki::issue({.subject = "CN=A"}, nullptr);
    testpki::Issued b = testpki::issue({.subject = "CN=B"}, nullptr);
    std::vector<CertificatePtr> all = readCertificates(a.certificate->pem() + b.certificate->pem());
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all[1]->subjectName(), "CN=B");
    EXPECT_CRYPT_ERROR(readCertificates("-----BEGIN CERTIFICATE-----\nAAAA\n"),
                       errors::CRYPT_E_ASN1_BADTAG);
}

#include "platform/crypt/Pkcs12.h"

#include <gtest/gtest.h>

#include "CryptTestSupport.h"
#include "StoreTestSupport.h"
#include "platform/crypt/CertificateIssuer.h"
#include "platform/crypt/CryptErrors.h"
#include "platform/stores/FolderStore.h"

using namespace platform;

TEST(Pkcs12Import, OpensslPkcs12SignsWithItsKeyFromTheStore) {
    testpki::TempHome home;
    const std::string dir = home.path();
    ASSERT_EQ(testpki::run("openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "
                           "'/C=ES/O=ACME/CN=Firmante P12' -keyout " +
                           dir + "/k.pem -out " + dir + "/c.pem"),
              0);
    ASSERT_EQ(testpki::run("openssl pkcs12 -export -in " + dir + "/c.pem -inkey " + dir +
                           "/k.pem -passout pass:secreto -out " + dir + "/t.p12"),
              0);
    std::string p12 = testpki::readFile(dir + "/t.p12");
    EXPECT_CRYPT_ERROR(crypt::readPkcs12(p12, "mal"), crypt::ERROR_INVALID_PASSWORD);
    EXPECT_CRYPT_ERROR(crypt::readPkcs12("not pkcs12", ""), crypt::errors::CRYPT_E_ASN1_BADTAG);
    crypt::Pkcs12Contents contents = crypt::readPkcs12(p12, "secreto");
    EXPECT_EQ(contents.certificate->subjectName(), "CN=Firmante P12, O=ACME, C=ES");

    auto store = stores::FolderStore::open(stores::StoreLocation::CurrentUser, "MY", false);
    store->add(contents.certificate, contents.key.get(), "clave");
    scriptAnswers(home, "password=clave\n");
    auto reread = stores::FolderStore::open(stores::StoreLocation::CurrentUser, "MY", true);
    ASSERT_EQ(reread->entries().size(), 1u);
    const crypt::CertificatePtr& cert = reread->entries()[0].certificate;
    ASSERT_TRUE(cert->hasPrivateKey());
    std::string data = "contenido firmado";
    std::vector<unsigned char> hash =
        crypt::digest(crypt::HashAlgorithm::SHA256,
                      reinterpret_cast<const unsigned char*>(data.data()), data.size());
    std::vector<unsigned char> sig = cert->keyProvider()->privateKey()->signHash(
        crypt::HashAlgorithm::SHA256, hash, crypt::ByteOrder::BigEndian);
    testpki::writeFile(dir + "/data", data);
    testpki::writeFile(dir + "/sig", std::string(sig.begin(), sig.end()));
    std::string out;
    EXPECT_EQ(testpki::run("openssl dgst -sha256 -binary " + dir + "/data > " + dir +
                               "/hash && openssl pkeyutl -verify -certin -inkey " + dir +
                               "/c.pem -pkeyopt digest:sha256 -in " + dir + "/hash -sigfile " +
                               dir + "/sig",
                           &out),
              0)
        << out;
}

TEST(CertificateIssuer, DemoStyleCertificatesChainAndCarryTheirUsages) {
    auto rootKey = crypt::generateRsaKey(2048);
    auto root = crypt::issueCertificate({"CN=Root, C=ES", 10, true, "keyCertSign", ""}, *rootKey,
                                        nullptr, nullptr);
    auto key = crypt::generateRsaKey(2048);
    auto leaf = crypt::issueCertificate(
        {"CN=Firma, C=ES", 5, false, "digitalSignature,nonRepudiation", "emailProtection"}, *key,
        root.get(), rootKey.get());
    EXPECT_EQ(leaf->issuerName(), "CN=Root, C=ES");
    EXPECT_EQ(*leaf->extension("2.5.29.15"), (std::vector<unsigned char>{0x03, 0x02, 0x06, 0xC0}));
    EXPECT_EQ(leaf->extendedKeyUsage(), std::vector<std::string>{"1.3.6.1.5.5.7.3.4"});
    EXPECT_EQ(leaf->serialNumber().size(), 32u);
    EXPECT_CRYPT_ERROR(crypt::issueCertificate({"CN=x", 0, false, "", ""}, *key, nullptr, nullptr),
                       crypt::errors::ERROR_INVALID_PARAMETER);
    EXPECT_CRYPT_ERROR(
        crypt::issueCertificate({"CN=x", 1, false, "flying", ""}, *key, nullptr, nullptr),
        crypt::errors::ERROR_INVALID_PARAMETER);
}

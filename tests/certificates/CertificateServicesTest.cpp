#include "platform/certificates/CertificateCollection.h"
#include "platform/certificates/CertificateStoreObject.h"

#include <gtest/gtest.h>

#include "CryptTestSupport.h"
#include "StoreTestSupport.h"
#include "platform/certificates/CertificateErrors.h"
#include "stream/Base64.h"

using namespace platform;
using namespace platform::certificates;

namespace {

struct Fixture {
    testpki::TempHome home;
    testpki::Issued ca = testpki::issue(
        {.subject = "CN=AC (Pruebas), O=ACME, C=ES", .keyUsage = "keyCertSign", .ca = true},
        nullptr);
    testpki::Issued signer = testpki::issue({.subject = "CN=Juan Firma, O=ACME, C=ES",
                                             .keyUsage = "digitalSignature,nonRepudiation",
                                             .serial = 2},
                                            &ca);
    testpki::Issued cipher = testpki::issue(
        {.subject = "CN=Juan Cifrado, O=ACME, C=ES", .keyUsage = "keyEncipherment", .serial = 3},
        &ca);
    testpki::Issued bare =
        testpki::issue({.subject = "CN=Sin Uso, O=Otra, C=FR", .serial = 4}, nullptr);

    CertificateCollectionPtr collection() {
        std::string dir = storeDir(home, "MY");
        int n = 0;
        for (auto* i : {&signer, &cipher, &bare}) {
            testpki::writeFile(dir + "/" + std::to_string(n++) + ".pem", i->certificate->pem());
        }
        CertificateStoreObject store;
        store.open(2, "MY", StoreOpenMode::ReadOnly);
        return store.certificates();
    }
};

} // namespace

TEST(CertificateObject, EmptyObjectIsNotInitializedAndImportWorks) {
    testpki::Issued c =
        testpki::issue({.subject = "CN=Juan, O=ACME, C=ES", .serial = 0x0102}, nullptr);
    CertificateObject object;
    EXPECT_CRYPT_ERROR(object.subjectName(), CAPICOM_E_CERTIFICATE_NOT_INITIALIZED);
    EXPECT_CRYPT_ERROR(object.serialNumber(), CAPICOM_E_CERTIFICATE_NOT_INITIALIZED);
    EXPECT_CRYPT_ERROR(object.exportEncoded(ExportEncoding::Base64),
                       CAPICOM_E_CERTIFICATE_NOT_INITIALIZED);
    object.import(c.certificate->pem());
    EXPECT_EQ(object.subjectName(), "CN=Juan, O=ACME, C=ES");
    EXPECT_EQ(object.serialNumber(), "0102");
    EXPECT_FALSE(object.hasPrivateKey());
    std::string b64 = object.exportEncoded(ExportEncoding::Base64);
    EXPECT_EQ(b64.substr(64, 2), "\r\n");
    EXPECT_EQ(b64.substr(b64.size() - 2), "\r\n");
    std::string derBytes = object.exportEncoded(ExportEncoding::Binary);
    EXPECT_EQ(stream::Base64::decode(b64), derBytes);
    CertificateObject again;
    again.import(derBytes);
    EXPECT_TRUE(again.certificate()->sameAs(*c.certificate));
    EXPECT_CRYPT_ERROR(again.import("garbage"), 0x8009310B);
}

TEST(CertificateCollection, PositionsCountFromOne) {
    Fixture f;
    CertificateCollectionPtr all = f.collection();
    ASSERT_EQ(all->count(), 3);
    EXPECT_EQ(all->item(1)->subjectName(), "CN=Juan Firma, O=ACME, C=ES");
    EXPECT_CRYPT_ERROR(all->item(0), E_INVALIDARG);
    EXPECT_CRYPT_ERROR(all->item(4), E_INVALIDARG);
    EXPECT_CRYPT_ERROR(all->remove(0), E_INVALIDARG);
    all->remove(1);
    EXPECT_EQ(all->item(1)->subjectName(), "CN=Juan Cifrado, O=ACME, C=ES");
    all->clear();
    EXPECT_EQ(all->count(), 0);
}

TEST(CertificateCollection, FindBySubjectIssuerExtensionAndKeyUsage) {
    Fixture f;
    CertificateCollectionPtr all = f.collection();
    EXPECT_EQ(all->find(FindType::SubjectName, std::string("juan"), false)->count(), 2);
    EXPECT_EQ(all->find(FindType::IssuerName, std::string("AC (Pruebas)"), false)->count(), 2);
    EXPECT_EQ(all->find(FindType::Extension, std::string("2.5.29.15"), false)->count(), 2);
    CertificateCollectionPtr signing =
        all->find(FindType::KeyUsage, key_usage::DIGITAL_SIGNATURE, false);
    // The signer, and the certificate without key usage (everything allowed).
    ASSERT_EQ(signing->count(), 2);
    EXPECT_EQ(signing->item(1)->subjectName(), "CN=Juan Firma, O=ACME, C=ES");
    EXPECT_EQ(signing->item(2)->subjectName(), "CN=Sin Uso, O=Otra, C=FR");
    EXPECT_EQ(all->find(FindType::KeyUsage, std::string("keyEncipherment"), false)->count(), 2);
    EXPECT_CRYPT_ERROR(all->find(FindType::KeyUsage, std::string("flying"), false), E_INVALIDARG);
    EXPECT_CRYPT_ERROR(all->find(static_cast<FindType>(4), std::string("x"), false), E_INVALIDARG);
    EXPECT_EQ(keyUsageBits(*f.bare.certificate), 0xFFFF);
    EXPECT_EQ(keyUsageBits(*f.signer.certificate), 0xC0);
}

TEST(CertificateCollection, SelectThroughTheScriptedPicker) {
    Fixture f;
    CertificateCollectionPtr all = f.collection();
    scriptAnswers(f.home, "select=1\nselect=0,2\nselect=cancel\nselect=7\n");
    CertificateCollectionPtr one = all->select("Elija", "", false);
    ASSERT_EQ(one->count(), 1);
    EXPECT_EQ(one->item(1)->subjectName(), "CN=Juan Cifrado, O=ACME, C=ES");
    CertificateCollectionPtr two = all->select("Elija", "varios", true);
    EXPECT_EQ(two->count(), 2);
    EXPECT_EQ(all->count(), 3);
    EXPECT_CRYPT_ERROR(all->select("Elija", "", false), CAPICOM_E_CANCELLED);
    // An answer out of range (or no answer left) is a cancellation, not a crash.
    EXPECT_CRYPT_ERROR(all->select("Elija", "", false), CAPICOM_E_CANCELLED);
    EXPECT_CRYPT_ERROR(all->select("Elija", "", false), CAPICOM_E_CANCELLED);
}

TEST(CertificateStoreObject, OpenChecksLocationAndCertificatesNeedsOpen) {
    testpki::TempHome home;
    CertificateStoreObject store;
    EXPECT_CRYPT_ERROR(store.certificates(), E_POINTER);
    EXPECT_CRYPT_ERROR(store.open(3, "MY", StoreOpenMode::ReadOnly), E_INVALIDARG);
    store.open(1, "MY", StoreOpenMode::ReadOnly);
    EXPECT_EQ(store.certificates()->count(), 0);
}

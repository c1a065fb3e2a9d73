#include "component/signing/CQNQuillionUtility.h"

#include <ctime>

#include <gtest/gtest.h>

#include "StoreTestSupport.h"
#include "platform/crypt/DerReader.h"
#include "platform/crypt/DerWriter.h"
#include "platform/stores/FolderStore.h"

using component::signing::CQNQuillionUtility;
using platform::crypt::Bytes;
using platform::crypt::DerReader;
namespace der = platform::crypt::der;

namespace {

Bytes bytesOf(const std::string& s) {
    return Bytes(s.begin(), s.end());
}

// A working folder with a signer certificate and key (PEM) for openssl.
struct OpensslPki {
    explicit OpensslPki(const testpki::TempHome& home) : dir(home.path()) {
        signer = testpki::issue({.subject = "CN=Firmante, O=Pruebas, C=ES",
                                 .keyUsage = "digitalSignature,nonRepudiation"},
                                nullptr);
        testpki::writeFile(dir + "/signer.pem", signer.certificate->pem());
        testpki::writeFile(dir + "/signer.key", signer.key->toPem(""));
        testpki::writeFile(dir + "/data.txt", "contenido firmado");
    }
    Bytes run(const std::string& command, const std::string& output) {
        std::string log;
        EXPECT_EQ(testpki::run("cd " + dir + " && " + command, &log), 0) << log;
        return bytesOf(testpki::readFile(dir + "/" + output));
    }
    std::string dir;
    testpki::Issued signer;
};

std::string typeOf(const Bytes& b, bool expectSigned = false) {
    return CQNQuillionUtility::getMessageType(b.data(), b.size(), expectSigned);
}

} // namespace

TEST(MessageType, NamesTheTypesOfRealMessagesAndNothingElse) {
    testpki::TempHome home;
    TestLog log(home);
    OpensslPki pki(home);
    Bytes signedDer = pki.run("openssl cms -sign -binary -nodetach -in data.txt -signer "
                              "signer.pem -inkey signer.key -outform DER -out s.der",
                              "s.der");
    Bytes envelopedDer = pki.run("openssl cms -encrypt -binary -aes256 -in data.txt -outform DER "
                                 "-out e.der signer.pem",
                                 "e.der");
    Bytes dataDer =
        pki.run("openssl cms -data_create -binary -in data.txt -outform DER -out d.der", "d.der");
    EXPECT_EQ(typeOf(signedDer), "1.2.840.113549.1.7.2");
    EXPECT_EQ(typeOf(signedDer, true), "1.2.840.113549.1.7.2");
    EXPECT_EQ(typeOf(envelopedDer), "1.2.840.113549.1.7.3");
    EXPECT_EQ(typeOf(envelopedDer, true), "");
    EXPECT_EQ(typeOf(dataDer), "1.2.840.113549.1.7.1");

    // Signed-and-enveloped has no name here.
    Bytes inner = der::sequence({});
    Bytes sae =
        CQNQuillionUtility::encodeContentInfo("1.2.840.113549.1.7.4", inner.data(), inner.size());
    EXPECT_EQ(typeOf(sae), "");
    EXPECT_EQ(log.text().find("WARNING"), std::string::npos) << log.text();

    // Plain text is no message and no error.
    EXPECT_EQ(typeOf(bytesOf("texto plano")), "");
    EXPECT_EQ(typeOf(Bytes{}), "");
    EXPECT_EQ(log.text().find("WARNING"), std::string::npos);
    EXPECT_NE(log.text().find("Message type: 1.2.840.113549.1.7.2"), std::string::npos);

    // A cut-short message is refused with a warning, never read past its end.
    Bytes cut(signedDer.begin(), signedDer.begin() + signedDer.size() / 2);
    EXPECT_EQ(typeOf(cut), "");
    EXPECT_NE(log.text().find("WARNING"), std::string::npos);
}

TEST(BareContent, ContentInfoGivesItsInnerContentAsAView) {
    testpki::TempHome home;
    OpensslPki pki(home);
    Bytes signedDer = pki.run("openssl cms -sign -binary -nodetach -in data.txt -signer "
                              "signer.pem -inkey signer.key -outform DER -out s.der",
                              "s.der");
    auto bare = CQNQuillionUtility::extractBareContent(signedDer.data(), signedDer.size());
    ASSERT_TRUE(bare.found());
    EXPECT_EQ(bare.contentType, "1.2.840.113549.1.7.2");
    EXPECT_GE(bare.data, signedDer.data());
    EXPECT_LT(bare.data, signedDer.data() + signedDer.size());
    // Wrapping the bare content again gives the original message byte for byte.
    EXPECT_EQ(CQNQuillionUtility::encodeContentInfo(bare.contentType, bare.data, bare.size),
              signedDer);

    Bytes text = bytesOf("hola mundo");
    Bytes data =
        CQNQuillionUtility::encodeContentInfo("1.2.840.113549.1.7.1", text.data(), text.size());
    auto inner = CQNQuillionUtility::extractBareContent(data.data(), data.size());
    EXPECT_EQ(inner.contentType, "1.2.840.113549.1.7.1");
    EXPECT_EQ(Bytes(inner.data, inner.data + inner.size), text);

    for (Bytes notInfo : {text, Bytes{}, Bytes{0x30, 0x03, 0x02, 0x01, 0x01}}) {
        auto none = CQNQuillionUtility::extractBareContent(notInfo.data(), notInfo.size());
        EXPECT_FALSE(none.found());
        EXPECT_EQ(none.size, 0u);
    }
    // Trailing bytes after the ContentInfo make it ordinary content.
    Bytes trailing = data;
    trailing.push_back(0);
    EXPECT_FALSE(CQNQuillionUtility::extractBareContent(trailing.data(), trailing.size()).found());
    EXPECT_TRUE(CQNQuillionUtility::encodeContentInfo("not an oid", text.data(), 3).empty());
}

TEST(SigningTime, AttributeCarriesTheCurrentUtcTime) {
    Bytes attribute = CQNQuillionUtility::signingTimeAttribute();
    DerReader top(attribute.data(), attribute.size());
    DerReader fields = top.inside(top.expect(0x30));
    EXPECT_EQ(platform::crypt::oidText(fields.next()), "1.2.840.113549.1.9.5");
    DerReader values = fields.inside(fields.expect(0x31));
    auto time = values.expect(0x17);
    ASSERT_EQ(time.length, 13u);
    EXPECT_EQ(time.value[12], 'Z');
    EXPECT_TRUE(values.atEnd());
    std::tm utc{};
    std::time_t now = std::time(nullptr);
    gmtime_r(&now, &utc);
    char expected[8];
    std::snprintf(expected, sizeof expected, "%02d%02d%02d", utc.tm_year % 100, utc.tm_mon + 1,
                  utc.tm_mday);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(time.value), 6), expected);
}

TEST(MyStore, FindsCertificatesByIssuerSerialAndByKeyIdentifier) {
    testpki::TempHome home;
    testpki::Issued root = testpki::issue({.subject = "CN=Raiz, O=Pruebas", .ca = true}, nullptr);
    testpki::Issued a = testpki::issue({.subject = "CN=Uno", .serial = 11}, &root);
    testpki::Issued b = testpki::issue({.subject = "CN=Dos", .serial = 12}, &root);
    auto store = platform::stores::FolderStore::open(platform::stores::StoreLocation::CurrentUser,
                                                     "MY", false);
    store->add(a.certificate, a.key.get(), "");
    store->add(b.certificate, nullptr, "");

    auto found = CQNQuillionUtility::findCertificateInMyStore(b.certificate->issuerDer(),
                                                              b.certificate->serialBytes());
    ASSERT_NE(found, nullptr);
    EXPECT_TRUE(found->sameAs(*b.certificate));
    auto byKey = CQNQuillionUtility::findCertificateInMyStore(a.certificate->keyIdentifier());
    ASSERT_NE(byKey, nullptr);
    EXPECT_TRUE(byKey->sameAs(*a.certificate));
    EXPECT_EQ(
        CQNQuillionUtility::findCertificateInMyStore(root.certificate->issuerDer(), Bytes{0x63}),
        nullptr);
    EXPECT_EQ(CQNQuillionUtility::findCertificateInMyStore(root.certificate->keyIdentifier()),
              nullptr);

    // The one with a key gives a provider and its key kind; the other none.
    platform::crypt::KeyProviderInfo info;
    uint32_t keySpec = 0;
    EXPECT_EQ(CQNQuillionUtility::GetCSPDesc(*byKey, info), 0);
    EXPECT_EQ(info.provider, platform::crypt::kFolderKeyProvider);
    auto provider = CQNQuillionUtility::createContextFromCertificate(*byKey, keySpec);
    ASSERT_NE(provider, nullptr);
    EXPECT_EQ(keySpec, 1u);
    EXPECT_EQ(EVP_PKEY_eq(provider->privateKey()->get(), a.key->get()), 1);
    EXPECT_EQ(CQNQuillionUtility::GetCSPDesc(*found, info), -1);
    EXPECT_EQ(CQNQuillionUtility::createContextFromCertificate(*found, keySpec), nullptr);
    // No enhanced provider exists here.
    EXPECT_EQ(CQNQuillionUtility::createEnhancedContext(), nullptr);
}

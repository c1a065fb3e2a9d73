#include "platform/crypt/SignedMessage.h"

#include <gtest/gtest.h>

#include "CryptTestSupport.h"
#include "TestPki.h"
#include "platform/crypt/CryptErrors.h"

using namespace platform::crypt;

namespace {

std::vector<unsigned char> bytes(const std::string& s) {
    return std::vector<unsigned char>(s.begin(), s.end());
}

struct Signers {
    testpki::Issued ca = testpki::issue({.subject = "CN=CA", .ca = true}, nullptr);
    testpki::Issued one = testpki::issue({.subject = "CN=Uno", .serial = 2}, &ca);
    testpki::Issued two = testpki::issue({.subject = "CN=Dos", .serial = 3}, &ca);
};

} // namespace

TEST(SignedMessage, EncapsulatedAndDetachedVerifyWithOpensslCms) {
    testpki::TempHome home;
    Signers s;
    const std::string dir = home.path();
    std::vector<unsigned char> content = bytes("contenido\0con cero");
    SignedMessage attached =
        SignedMessage::sign(content, *s.one.certificate, *s.one.key, HashAlgorithm::SHA256, false);
    std::vector<unsigned char> der = attached.encode();
    std::vector<unsigned char> detachedDer =
        SignedMessage::sign(content, *s.one.certificate, *s.one.key, HashAlgorithm::SHA1, true)
            .encode();
    testpki::writeFile(dir + "/a.p7", std::string(der.begin(), der.end()));
    testpki::writeFile(dir + "/d.p7", std::string(detachedDer.begin(), detachedDer.end()));
    testpki::writeFile(dir + "/content", std::string(content.begin(), content.end()));
    testpki::writeFile(dir + "/ca.pem", s.ca.certificate->pem());
    std::string out;
    EXPECT_EQ(testpki::run("openssl cms -verify -binary -inform DER -in " + dir + "/a.p7 -CAfile " +
                               dir + "/ca.pem -out " + dir + "/out",
                           &out),
              0)
        << out;
    EXPECT_EQ(testpki::readFile(dir + "/out"), std::string(content.begin(), content.end()));
    EXPECT_EQ(testpki::run("openssl cms -verify -binary -inform DER -in " + dir +
                               "/d.p7 -content " + dir + "/content -CAfile " + dir +
                               "/ca.pem -out /dev/null",
                           &out),
              0)
        << out;

    SignedMessage decoded = SignedMessage::decode(der);
    EXPECT_FALSE(decoded.detached());
    EXPECT_EQ(*decoded.content(), content);
    ASSERT_EQ(decoded.signerCount(), 1u);
    EXPECT_TRUE(decoded.signerCertificate(0)->sameAs(*s.one.certificate));
    decoded.verifySigner(0);
    EXPECT_CRYPT_ERROR(decoded.verifySigner(1), errors::CRYPT_E_INVALID_INDEX);

    SignedMessage detached = SignedMessage::decode(detachedDer);
    EXPECT_TRUE(detached.detached());
    EXPECT_FALSE(detached.content().has_value());
    detached.verifySigner(0, &content);
    std::vector<unsigned char> other = bytes("otro");
    EXPECT_CRYPT_ERROR(detached.verifySigner(0, &other), errors::CRYPT_E_HASH_VALUE);
}

TEST(SignedMessage, OpensslSignaturesDecodeAndCoSign) {
    testpki::TempHome home;
    Signers s;
    const std::string dir = home.path();
    testpki::writeFile(dir + "/content", "datos");
    testpki::writeFile(dir + "/one.pem", s.one.certificate->pem());
    testpki::writeFile(dir + "/one.key", s.one.key->toPem(""));
    testpki::writeFile(dir + "/ca.pem", s.ca.certificate->pem());
    ASSERT_EQ(testpki::run("openssl cms -sign -binary -nodetach -outform DER -in " + dir +
                           "/content -signer " + dir + "/one.pem -inkey " + dir + "/one.key -out " +
                           dir + "/s.p7"),
              0);
    std::string p7 = testpki::readFile(dir + "/s.p7");
    SignedMessage message = SignedMessage::decode(bytes(p7));
    message.verifySigner(0);
    message.addSigner(*s.two.certificate, *s.two.key, HashAlgorithm::SHA256);
    message.addCertificate(*s.ca.certificate);
    ASSERT_EQ(message.signerCount(), 2u);
    message.verifySigner(1);
    std::vector<unsigned char> cosigned = message.encode();
    testpki::writeFile(dir + "/co.p7", std::string(cosigned.begin(), cosigned.end()));
    std::string out;
    EXPECT_EQ(testpki::run("openssl cms -verify -binary -inform DER -in " + dir +
                               "/co.p7 -CAfile " + dir + "/ca.pem -out /dev/null",
                           &out),
              0)
        << out;
    EXPECT_EQ(SignedMessage::decode(cosigned).certificates().size(), 3u);

    // A changed signature byte is a bad signature.
    std::vector<unsigned char> tampered = bytes(p7);
    tampered[tampered.size() - 5] ^= 0x01;
    EXPECT_CRYPT_ERROR(SignedMessage::decode(tampered).verifySigner(0), errors::NTE_BAD_SIGNATURE);
    EXPECT_CRYPT_ERROR(SignedMessage::decode(bytes("no es pkcs7")), errors::CRYPT_E_ASN1_BADTAG);
}

TEST(EnvelopedMessage, BothWaysWithOpensslCms) {
    testpki::TempHome home;
    Signers s;
    const std::string dir = home.path();
    std::vector<unsigned char> secret = bytes("secreto");
    std::vector<unsigned char> env =
        EnvelopedMessage::encrypt(secret, {s.one.certificate, s.two.certificate});
    testpki::writeFile(dir + "/e.p7", std::string(env.begin(), env.end()));
    testpki::writeFile(dir + "/two.pem", s.two.certificate->pem());
    testpki::writeFile(dir + "/two.key", s.two.key->toPem(""));
    std::string out;
    ASSERT_EQ(testpki::run("openssl cms -decrypt -binary -inform DER -in " + dir + "/e.p7 -recip " +
                               dir + "/two.pem -inkey " + dir + "/two.key",
                           &out),
              0);
    EXPECT_EQ(out, "secreto");
    EXPECT_EQ(EnvelopedMessage::decrypt(env, *s.one.certificate, *s.one.key), secret);
    EXPECT_CRYPT_ERROR(EnvelopedMessage::decrypt(env, *s.ca.certificate, *s.ca.key),
                       errors::CRYPT_E_NO_DECRYPT_CERT);
    testpki::writeFile(dir + "/plain", "de openssl");
    ASSERT_EQ(testpki::run("openssl cms -encrypt -binary -outform DER -aes256 -in " + dir +
                           "/plain -out " + dir + "/o.p7 " + dir + "/two.pem"),
              0);
    std::string o = testpki::readFile(dir + "/o.p7");
    EXPECT_EQ(EnvelopedMessage::decrypt(bytes(o), *s.two.certificate, *s.two.key),
              bytes("de openssl"));
    EXPECT_CRYPT_ERROR(EnvelopedMessage::decrypt(env, *s.one.certificate, *s.two.key),
                       errors::CRYPT_E_NO_DECRYPT_CERT);
}

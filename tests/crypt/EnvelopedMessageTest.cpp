#include "platform/crypt/EnvelopedMessage.h"

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

#include "platform/crypt/EnvelopedDataDecoder.h"
#include "platform/crypt/EnvelopedDataEncoder.h"

#include <gtest/gtest.h>

#include <openssl/ec.h>

#include "CryptTestSupport.h"
#include "TestPki.h"
#include "platform/crypt/CryptErrors.h"
#include "platform/crypt/DerReader.h"

using namespace platform::crypt;

namespace {

constexpr char kTripleDes[] = "1.2.840.113549.3.7";
constexpr char kAes128[] = "2.16.840.1.101.3.4.1.2";
constexpr char kAes256[] = "2.16.840.1.101.3.4.1.42";
constexpr char kRc2[] = "1.2.840.113549.3.2";

std::string text(const stream::ByteBuffer& b) {
    return b.toString();
}

std::shared_ptr<PrivateKey> ecKey() {
    EVP_PKEY* raw = EVP_EC_gen("P-256");
    if (raw == nullptr) {
        throw std::runtime_error("EVP_EC_gen");
    }
    return std::make_shared<PrivateKey>(EvpPkeyPtr(raw));
}

struct People {
    testpki::Issued ca = testpki::issue({.subject = "CN=CA Sobres", .ca = true}, nullptr);
    testpki::Issued one = testpki::issue({.subject = "CN=Uno", .serial = 0x0102}, &ca);
    testpki::Issued two = testpki::issue({.subject = "CN=Dos", .serial = 0xFF03}, &ca);
    testpki::Issued ec = testpki::issue({.subject = "CN=Curva", .serial = 9}, &ca, ecKey());
};

class EnvelopedData : public ::testing::Test {
protected:
    std::string path(const std::string& name) const { return home_.path() + "/" + name; }
    void put(const std::string& name, const std::string& bytes) const {
        testpki::writeFile(path(name), bytes);
    }
    // The identity's certificate and key as PEM files named after it.
    void keep(const std::string& name, const testpki::Issued& who) const {
        put(name + ".pem", who.certificate->pem());
        put(name + ".key", who.key->toPem(""));
    }
    stream::ByteBuffer envelope(const std::string& algorithm, const std::string& content,
                                std::initializer_list<const testpki::Issued*> recipients,
                                const std::string& contentType = "") const {
        EnvelopedDataEncoder encoder(algorithm, contentType);
        for (const testpki::Issued* who : recipients) {
            encoder.addRecipient(*who->certificate);
        }
        auto bytes = reinterpret_cast<const unsigned char*>(content.data());
        stream::ByteBuffer out = encoder.encode(bytes, content.size());
        EXPECT_EQ(out.size(), encoder.encodedLength(content.size()));
        return out;
    }
    // openssl cms -decrypt of a DER message with the identity's files; the plaintext or
    // "<failed>".
    std::string opensslOpens(const stream::ByteBuffer& message, const std::string& who,
                             const std::string& tool = "cms") const {
        put("m.der", text(message));
        int status = testpki::run("openssl " + tool + " -decrypt -binary -inform DER -in " +
                                  path("m.der") + " -recip " + path(who + ".pem") + " -inkey " +
                                  path(who + ".key") + " -out " + path("m.out"));
        return status == 0 ? testpki::readFile(path("m.out")) : "<failed>";
    }
    // openssl cms -encrypt of content for the identities' certificates, DER.
    std::string opensslEnvelope(const std::string& content, const std::string& options,
                                std::initializer_list<std::string> recipients) const {
        put("plain.bin", content);
        std::string command = "openssl cms -encrypt -binary -outform DER " + options + " -in " +
                              path("plain.bin") + " -out " + path("o.der");
        for (const std::string& who : recipients) {
            command += " -recip " + path(who + ".pem");
        }
        std::string log;
        EXPECT_EQ(testpki::run(command, &log), 0) << log;
        return testpki::readFile(path("o.der"));
    }
    static std::string open(const std::string& message, size_t index, size_t key,
                            const PrivateKey& privateKey) {
        EnvelopedDataDecoder decoder(reinterpret_cast<const unsigned char*>(message.data()),
                                     message.size());
        return text(decoder.decrypt(index, key, privateKey));
    }

    testpki::TempHome home_;
    People people_;
};

} // namespace

TEST_F(EnvelopedData, OpensslOpensEveryAlgorithmForEachRecipient) {
    keep("one", people_.one);
    keep("two", people_.two);
    const std::string secret("contenido\0con ceros\xff", 20);
    for (const char* algorithm : {kTripleDes, kAes128, kAes256}) {
        stream::ByteBuffer message = envelope(algorithm, secret, {&people_.one, &people_.two});
        EXPECT_EQ(opensslOpens(message, "one"), secret) << algorithm;
        EXPECT_EQ(opensslOpens(message, "two"), secret) << algorithm;
        EXPECT_EQ(opensslOpens(message, "two", "smime"), secret) << algorithm;
        // Strict DER: openssl writes back exactly what it read.
        put("m.der", text(message));
        ASSERT_EQ(testpki::run("openssl cms -cmsout -inform DER -outform DER -in " + path("m.der") +
                               " -out " + path("again.der")),
                  0);
        EXPECT_EQ(testpki::readFile(path("again.der")), text(message)) << algorithm;
    }
}

TEST_F(EnvelopedData, EmptyAndBlockSizedContents) {
    keep("one", people_.one);
    for (size_t n : {size_t{0}, size_t{1}, size_t{15}, size_t{16}, size_t{17}, size_t{4096}}) {
        std::string content(n, 'x');
        stream::ByteBuffer message = envelope(kAes128, content, {&people_.one});
        EXPECT_EQ(opensslOpens(message, "one"), content) << n;
        EXPECT_EQ(open(text(message), 0, 0, *people_.one.key), content) << n;
    }
}

TEST_F(EnvelopedData, RecordsTheInnerContentType) {
    keep("one", people_.one);
    stream::ByteBuffer message =
        envelope(kAes256, "firmado", {&people_.one}, "1.2.840.113549.1.7.2");
    put("m.der", text(message));
    std::string printed;
    testpki::run("openssl cms -cmsout -print -inform DER -in " + path("m.der"), &printed);
    EXPECT_NE(printed.find("contentType: pkcs7-signedData"), std::string::npos) << printed;
    EnvelopedDataDecoder decoder(message.data(), message.size());
    EXPECT_EQ(decoder.contentType(), "1.2.840.113549.1.7.2");
}

TEST_F(EnvelopedData, RefusesWhatItCannotWrite) {
    EXPECT_CRYPT_ERROR(EnvelopedDataEncoder("", ""), errors::CRYPT_E_UNKNOWN_ALGO);
    EXPECT_CRYPT_ERROR(EnvelopedDataEncoder("no es un oid", ""), errors::CRYPT_E_UNKNOWN_ALGO);
    EXPECT_CRYPT_ERROR(EnvelopedDataEncoder("1.2.3.4.5", ""), errors::CRYPT_E_UNKNOWN_ALGO);
    // AES-256-GCM is no CBC block cipher; SHA-256 no cipher at all.
    EXPECT_CRYPT_ERROR(EnvelopedDataEncoder("2.16.840.1.101.3.4.1.46", ""),
                       errors::CRYPT_E_UNKNOWN_ALGO);
    EXPECT_CRYPT_ERROR(EnvelopedDataEncoder("2.16.840.1.101.3.4.2.1", ""),
                       errors::CRYPT_E_UNKNOWN_ALGO);
    EXPECT_CRYPT_ERROR(EnvelopedDataEncoder(kAes128, "1.2.x"), errors::CRYPT_E_OID_FORMAT);
    EnvelopedDataEncoder encoder(kAes128, "");
    EXPECT_CRYPT_ERROR(encoder.addRecipient(*people_.ec.certificate), errors::NTE_BAD_KEY);
    EXPECT_EQ(encoder.recipientCount(), 0u);
    EXPECT_CRYPT_ERROR(encoder.encode(nullptr, 0), errors::CRYPT_E_NO_DECRYPT_CERT);
}

TEST_F(EnvelopedData, Rc2WhereTheProvidersOfferIt) {
    keep("one", people_.one);
    try {
        stream::ByteBuffer message = envelope(kRc2, "rc2", {&people_.one});
        // Only with the legacy provider loaded; openssl must load it too.
        put("m.der", text(message));
        std::string out;
        EXPECT_EQ(testpki::run("openssl cms -decrypt -binary -inform DER -provider legacy "
                               "-provider default -in " +
                                   path("m.der") + " -recip " + path("one.pem") + " -inkey " +
                                   path("one.key"),
                               &out),
                  0);
        EXPECT_EQ(out, "rc2");
    } catch (const stream::exceptions::CryptException& e) {
        EXPECT_EQ(e.errorCode(), errors::NTE_BAD_ALGID);
    }
}

TEST_F(EnvelopedData, OpensOpensslEnvelopesOfEveryShape) {
    keep("one", people_.one);
    keep("two", people_.two);
    keep("ec", people_.ec);
    const std::string secret = "de openssl";
    for (const char* option : {"-des3", "-aes128", "-aes256"}) {
        std::string message = opensslEnvelope(secret, option, {"two", "one"});
        EnvelopedDataDecoder decoder(reinterpret_cast<const unsigned char*>(message.data()),
                                     message.size());
        ASSERT_EQ(decoder.recipientCount(), 2u);
        for (size_t i = 0; i < 2; ++i) {
            EnvelopeRecipient r = decoder.recipient(i);
            ASSERT_EQ(r.kind, RecipientKind::KeyTransport);
            ASSERT_EQ(r.keys.size(), 1u);
            const testpki::Issued& who =
                r.keys[0].matches(*people_.one.certificate) ? people_.one : people_.two;
            EXPECT_EQ(text(decoder.decrypt(i, 0, *who.key)), secret) << option;
        }
    }
    // Streamed (indefinite-length BER) and by subject key identifier.
    std::string streamed = opensslEnvelope(secret, "-aes256 -stream -keyid", {"one"});
    EnvelopedDataDecoder decoder(reinterpret_cast<const unsigned char*>(streamed.data()),
                                 streamed.size());
    EnvelopeRecipient byKeyId = decoder.recipient(0);
    ASSERT_EQ(byKeyId.keys.size(), 1u);
    EXPECT_TRUE(byKeyId.keys[0].byKeyIdentifier);
    EXPECT_TRUE(byKeyId.keys[0].matches(*people_.one.certificate));
    EXPECT_FALSE(byKeyId.keys[0].matches(*people_.two.certificate));
    EXPECT_EQ(text(decoder.decrypt(0, 0, *people_.one.key)), secret);
    // Key agreement for an EC certificate.
    std::string agreed = opensslEnvelope(secret, "-aes128", {"one", "ec"});
    EnvelopedDataDecoder agreement(reinterpret_cast<const unsigned char*>(agreed.data()),
                                   agreed.size());
    bool opened = false;
    for (size_t i = 0; i < agreement.recipientCount(); ++i) {
        EnvelopeRecipient r = agreement.recipient(i);
        if (r.kind != RecipientKind::KeyAgreement) {
            continue;
        }
        ASSERT_EQ(r.keys.size(), 1u);
        EXPECT_TRUE(r.keys[0].matches(*people_.ec.certificate));
        EXPECT_EQ(text(agreement.decrypt(i, 0, *people_.ec.key)), secret);
        EXPECT_CRYPT_ERROR(agreement.decrypt(i, 1, *people_.ec.key), errors::CRYPT_E_INVALID_INDEX);
        opened = true;
    }
    EXPECT_TRUE(opened);
}

TEST_F(EnvelopedData, WrongKeysAndDamagedMessagesFailCleanly) {
    stream::ByteBuffer message = envelope(kAes256, std::string(1000, 'a'), {&people_.one});
    std::string good = text(message);
    EXPECT_CRYPT_ERROR(open(good, 0, 0, *people_.two.key), errors::NTE_BAD_DATA);
    EXPECT_CRYPT_ERROR(open(good, 1, 0, *people_.one.key), errors::CRYPT_E_INVALID_INDEX);
    EXPECT_CRYPT_ERROR(open(good, 0, 1, *people_.one.key), errors::CRYPT_E_INVALID_INDEX);
    // The content (1000 bytes) ends in 8 padding bytes of 8: a change to the last byte of the
    // block before turns the last padding byte into 0x5D, which no padding has.
    std::string damaged = good;
    damaged[damaged.size() - 17] ^= 0x55;
    EXPECT_CRYPT_ERROR(open(damaged, 0, 0, *people_.one.key), errors::NTE_BAD_DATA);
    // Cut short: no longer a message.
    EXPECT_CRYPT_ERROR(open(good.substr(0, good.size() - 7), 0, 0, *people_.one.key),
                       errors::CRYPT_E_ASN1_BADTAG);
    EXPECT_CRYPT_ERROR(open("texto llano", 0, 0, *people_.one.key), errors::CRYPT_E_ASN1_BADTAG);
    EXPECT_CRYPT_ERROR(open("", 0, 0, *people_.one.key), errors::CRYPT_E_ASN1_BADTAG);
    // A signed message is a message of another type.
    put("plain.bin", "x");
    keep("one", people_.one);
    ASSERT_EQ(testpki::run("openssl cms -sign -binary -outform DER -nodetach -in " +
                           path("plain.bin") + " -signer " + path("one.pem") + " -inkey " +
                           path("one.key") + " -out " + path("s.der")),
              0);
    std::string signedMessage = testpki::readFile(path("s.der"));
    EXPECT_CRYPT_ERROR(
        EnvelopedDataDecoder(reinterpret_cast<const unsigned char*>(signedMessage.data()),
                             signedMessage.size()),
        errors::CRYPT_E_INVALID_MSG_TYPE);
}

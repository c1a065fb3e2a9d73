#include "component/envelopes/RawRsaCipher.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "EnvelopeFixture.h"
#include "component/content/QNCryptoSystem.h"
#include "component/envelopes/RawRsaKeyBlob.h"

namespace content = component::content;
using component::envelopes::RawRsaKeyBlob;
using namespace envelopetest;

namespace {

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

std::string reversedText(std::string s) {
    std::reverse(s.begin(), s.end());
    return s;
}

// Raw RSA through QNCryptoSystem.encrypt / decrypt, with 512-bit keys made by openssl.
class RawRsaTest : public EnvelopeFixture {
protected:
    void SetUp() override {
        EnvelopeFixture::SetUp();
        makeKey("k512", 512);
        makeKey("k1024", 1024);
    }
    void makeKey(const std::string& name, int bits) {
        std::string log;
        ASSERT_EQ(testpki::run("openssl genrsa -out " + path(name + ".pem") + " " +
                                   std::to_string(bits) +
                                   " && openssl pkcs8 -topk8 -nocrypt "
                                   "-outform DER -in " +
                                   path(name + ".pem") + " -out " + path(name + ".p8") +
                                   " && openssl rsa -pubout -outform DER -in " +
                                   path(name + ".pem") + " -out " + path(name + ".pub"),
                               &log),
                  0)
            << log;
    }
    std::string file(const std::string& name) const { return testpki::readFile(path(name)); }
    Outcome call(bool encrypting, const std::string* key, const std::string* data) {
        auto system = content::QNCryptoSystem::create();
        com::ComPtr<content::QNContent> k = key ? content(*key) : nullptr;
        com::ComPtr<content::QNContent> d = data ? content(*data) : nullptr;
        IDispatch* result = nullptr;
        auto* keyObject = k ? static_cast<content::IQNContent*>(k.get()) : nullptr;
        auto* dataObject = d ? static_cast<content::IQNContent*>(d.get()) : nullptr;
        HRESULT hr = encrypting ? system->encrypt(keyObject, dataObject, &result)
                                : system->decrypt(keyObject, dataObject, &result);
        return outcome(hr, result);
    }
    Outcome encryptWith(const std::string& key, const std::string& data) {
        return call(true, &key, &data);
    }
    Outcome decryptWith(const std::string& key, const std::string& data) {
        return call(false, &key, &data);
    }
    // openssl pkeyutl -decrypt of one block in the platform order: the PKCS#1 plaintext.
    std::string opensslDecrypts(const std::string& block) const {
        put("block.bin", reversedText(block));
        std::string out;
        if (testpki::run("openssl pkeyutl -decrypt -inkey " + path("k512.pem") + " -in " +
                             path("block.bin") + " -out " + path("plain.bin"),
                         &out) != 0) {
            return "<failed>";
        }
        return file("plain.bin");
    }
};

} // namespace

TEST_F(RawRsaTest, BlocksFollowTheChunkLayout) {
    const std::string pub = file("k512.pub");
    const std::string priv = file("k512.p8");
    ASSERT_EQ(pub.size(), 94u);
    ASSERT_EQ(static_cast<unsigned char>(priv[2]), 0x01);
    struct Case {
        std::string content;
        size_t blocks;
    };
    const std::string zeros("datos\0\0\0", 8);
    for (const Case& c :
         {Case{"", 1}, Case{"a", 1}, Case{std::string(52, 'x'), 1}, Case{std::string(53, 'y'), 2},
          Case{std::string(106, 'z'), 3}, Case{zeros, 1}, Case{std::string(200, '\0'), 4}}) {
        SCOPED_TRACE(c.content.size());
        Outcome made = encryptWith(pub, c.content);
        ASSERT_EQ(made.hr, S_OK) << made.description;
        ASSERT_EQ(made.bytes.size(), c.blocks * 64);
        Outcome back = decryptWith(priv, made.bytes);
        ASSERT_EQ(back.hr, S_OK) << back.description;
        EXPECT_TRUE(back.bytes == c.content);
        // openssl opens each block (bytes reversed) into its 53-byte chunk.
        std::string padded = c.content + '\xff';
        padded.resize(c.blocks * 53, '\0');
        for (size_t b = 0; b < c.blocks; ++b) {
            EXPECT_EQ(opensslDecrypts(made.bytes.substr(b * 64, 64)), padded.substr(b * 53, 53));
        }
    }
    std::string logged = log_.text();
    EXPECT_TRUE(contains(logged, "TRACE: CQNCryptoSystem::encrypt Entrando cifrado puro en RSA."));
    EXPECT_TRUE(
        contains(logged, "TRACE: CQNCryptoSystem::decrypt Entrando descifrado puro en RSA."));
}

TEST_F(RawRsaTest, OpensBlocksMadeByOpenssl) {
    put("chunk.bin", std::string("hola desde openssl\xff", 19));
    ASSERT_EQ(testpki::run("openssl pkeyutl -encrypt -pubin -inkey " + path("k512.pub") +
                           " -keyform DER -in " + path("chunk.bin") + " -out " + path("c.bin")),
              0);
    std::string block = file("c.bin");
    ASSERT_EQ(block.size(), 64u);
    Outcome opened = decryptWith(file("k512.p8"), reversedText(block));
    ASSERT_EQ(opened.hr, S_OK) << opened.description;
    EXPECT_EQ(opened.bytes, "hola desde openssl");
}

TEST_F(RawRsaTest, EmptyAndMisshapenContents) {
    const std::string priv = file("k512.p8");
    // No block at all: nothing to look for, an empty result.
    Outcome empty = decryptWith(priv, "");
    ASSERT_EQ(empty.hr, S_OK) << empty.description;
    EXPECT_TRUE(empty.bytes.empty());
    // Not a whole number of blocks.
    Outcome uneven = decryptWith(priv, std::string(100, 'x'));
    EXPECT_NE(uneven.hr, S_OK);
    EXPECT_TRUE(contains(uneven.description, "@QNCryptoSystem(1499)")) << uneven.description;
    EXPECT_TRUE(contains(log_.text(),
                         "TRACE: Tamaño del archivo no es multiplo del tamaño de bloque a cifrar"));
    // A block that does not decrypt is a failure, not garbage in the result.
    Outcome made = encryptWith(file("k512.pub"), std::string(80, 'q'));
    ASSERT_EQ(made.hr, S_OK);
    std::string damaged = made.bytes;
    damaged[70] ^= 0x40;
    Outcome broken = decryptWith(priv, damaged);
    EXPECT_EQ(broken.code(), 0x80090005u) << broken.description; // NTE_BAD_DATA
    EXPECT_TRUE(contains(broken.description, "@QNCryptoSystem(1517)")) << broken.description;
    EXPECT_TRUE(broken.bytes.empty());
    // A last chunk without its end marker.
    put("chunk.bin", std::string(20, 'm'));
    ASSERT_EQ(testpki::run("openssl pkeyutl -encrypt -pubin -inkey " + path("k512.pub") +
                           " -keyform DER -in " + path("chunk.bin") + " -out " + path("c.bin")),
              0);
    Outcome unmarked = decryptWith(priv, reversedText(file("c.bin")));
    EXPECT_EQ(unmarked.code(), 0x80090005u);
    EXPECT_TRUE(contains(unmarked.description, "@QNCryptoSystem(1540)")) << unmarked.description;
}

TEST_F(RawRsaTest, OnlyThe512BitKeyFormatsAreRead) {
    Outcome big = encryptWith(file("k1024.pub"), "x");
    EXPECT_NE(big.hr, S_OK);
    EXPECT_TRUE(contains(big.description, "@QNCryptoSystem(897)")) << big.description;
    Outcome bigPrivate = decryptWith(file("k1024.p8"), std::string(128, 'x'));
    EXPECT_TRUE(contains(bigPrivate.description, "@QNCryptoSystem(1472)"))
        << bigPrivate.description;
    EXPECT_TRUE(contains(log_.text(), "TRACE: CQNSignData_Internal_PKCS7::sign no se importo la "
                                      "clave correctamente."));
    // The other key of the pair, a cut key, and bytes that only start like a key.
    EXPECT_TRUE(contains(encryptWith(file("k512.p8"), "x").description, "(897)"));
    EXPECT_TRUE(
        contains(decryptWith(file("k512.pub"), std::string(64, 'x')).description, "(1472)"));
    std::string cut = file("k512.p8").substr(0, 200);
    EXPECT_TRUE(contains(decryptWith(cut, std::string(64, 'x')).description, "(1472)"));
    std::string lookalike = std::string("\x30\x5C", 2) + std::string(92, '\x41');
    EXPECT_TRUE(contains(encryptWith(lookalike, "x").description, "(897)"));
    EXPECT_EQ(RawRsaKeyBlob::publicBlob(nullptr, 0), std::vector<unsigned char>(84, 0));
    EXPECT_EQ(
        RawRsaKeyBlob::privateBlob(reinterpret_cast<const unsigned char*>(cut.data()), cut.size()),
        std::vector<unsigned char>(308, 0));
    // The blobs of a real pair: header and sizes.
    const std::string pub = file("k512.pub");
    std::vector<unsigned char> blob =
        RawRsaKeyBlob::publicBlob(reinterpret_cast<const unsigned char*>(pub.data()), pub.size());
    EXPECT_EQ(std::vector<unsigned char>(blob.begin(), blob.begin() + 20),
              (std::vector<unsigned char>{6,   2,   0, 0, 0, 0xA4, 0, 0, 'R', 'S',
                                          'A', '1', 0, 2, 0, 0,    1, 0, 1,   0}));
}

TEST_F(RawRsaTest, MissingObjects) {
    const std::string pub = file("k512.pub");
    // No content: an empty one is encrypted.
    Outcome none = call(true, &pub, nullptr);
    ASSERT_EQ(none.hr, S_OK) << none.description;
    EXPECT_EQ(none.bytes.size(), 64u);
    EXPECT_TRUE(contains(log_.text(), "ERROR: CQNCryptoSystem::encrypt content null"));
    // No key: the call fails and nothing is made.
    const std::string data = "x";
    for (bool encrypting : {true, false}) {
        Outcome keyless = call(encrypting, nullptr, &data);
        EXPECT_EQ(keyless.hr, E_FAIL);
        EXPECT_TRUE(keyless.bytes.empty());
    }
    EXPECT_TRUE(contains(log_.text(), "ERROR: CQNCryptoSystem::encrypt keys null"));
}

#include "platform/crypt/RsaKey.h"

#include <openssl/core_names.h>

#include <gtest/gtest.h>

#include "CryptTestSupport.h"
#include "TestPki.h"
#include "platform/crypt/CryptErrors.h"

using namespace platform::crypt;

namespace {

std::vector<unsigned char> sha256Of(const std::string& s) {
    return digest(HashAlgorithm::SHA256, reinterpret_cast<const unsigned char*>(s.data()),
                  s.size());
}

std::vector<unsigned char> le(const BIGNUM* bn, size_t len) {
    std::vector<unsigned char> out(len);
    BN_bn2lebinpad(bn, out.data(), static_cast<int>(len));
    return out;
}

// A Windows PRIVATEKEYBLOB of key, built from its components.
std::vector<unsigned char> privateBlob(const PrivateKey& key) {
    auto get = [&](const char* name) {
        BIGNUM* bn = nullptr;
        EVP_PKEY_get_bn_param(key.get(), name, &bn);
        return BignumPtr(bn);
    };
    int bits = EVP_PKEY_get_bits(key.get());
    size_t full = static_cast<size_t>(bits) / 8, half = full / 2;
    std::vector<unsigned char> blob = {0x07, 0x02, 0, 0, 0x00, 0xA4, 0, 0, 'R', 'S', 'A', '2'};
    for (int i = 0; i < 4; ++i) {
        blob.push_back(static_cast<unsigned char>((bits >> (8 * i)) & 0xFF));
    }
    std::vector<unsigned char> e = le(get(OSSL_PKEY_PARAM_RSA_E).get(), 4);
    blob.insert(blob.end(), e.begin(), e.end());
    for (auto [name, len] :
         std::vector<std::pair<const char*, size_t>>{{OSSL_PKEY_PARAM_RSA_N, full},
                                                     {OSSL_PKEY_PARAM_RSA_FACTOR1, half},
                                                     {OSSL_PKEY_PARAM_RSA_FACTOR2, half},
                                                     {OSSL_PKEY_PARAM_RSA_EXPONENT1, half},
                                                     {OSSL_PKEY_PARAM_RSA_EXPONENT2, half},
                                                     {OSSL_PKEY_PARAM_RSA_COEFFICIENT1, half},
                                                     {OSSL_PKEY_PARAM_RSA_D, full}}) {
        std::vector<unsigned char> v = le(get(name).get(), len);
        blob.insert(blob.end(), v.begin(), v.end());
    }
    return blob;
}

} // namespace

TEST(RsaKey, LeastSignificantByteFirstSignatureVerifiesWithOpensslPkeyutl) {
    testpki::TempHome home;
    testpki::Issued signer = testpki::issue({.subject = "CN=Signer"}, nullptr);
    std::vector<unsigned char> hash = sha256Of("hello");
    std::vector<unsigned char> lsb =
        signer.key->signHash(HashAlgorithm::SHA256, hash, ByteOrder::LittleEndian);
    std::vector<unsigned char> msb =
        signer.key->signHash(HashAlgorithm::SHA256, hash, ByteOrder::BigEndian);
    EXPECT_EQ(reversed(lsb), msb);
    testpki::writeFile(home.path() + "/sig", std::string(msb.begin(), msb.end()));
    testpki::writeFile(home.path() + "/hash", std::string(hash.begin(), hash.end()));
    testpki::writeFile(home.path() + "/c.pem", signer.certificate->pem());
    std::string out;
    EXPECT_EQ(testpki::run("openssl pkeyutl -verify -certin -inkey " + home.path() +
                               "/c.pem -pkeyopt digest:sha256 -in " + home.path() +
                               "/hash -sigfile " + home.path() + "/sig",
                           &out),
              0)
        << out;
    PublicKey pub = signer.certificate->publicKey();
    EXPECT_TRUE(pub.verifyHash(HashAlgorithm::SHA256, hash, lsb, ByteOrder::LittleEndian));
    EXPECT_FALSE(pub.verifyHash(HashAlgorithm::SHA256, hash, msb, ByteOrder::LittleEndian));
    EXPECT_CRYPT_ERROR(signer.key->signHash(HashAlgorithm::SHA1, hash, ByteOrder::BigEndian),
                       errors::NTE_BAD_HASH);
}

TEST(RsaKey, BlockEncryptionBothWaysWithOpenssl) {
    testpki::TempHome home;
    testpki::Issued holder = testpki::issue({.subject = "CN=Holder"}, nullptr);
    PublicKey pub = holder.certificate->publicKey();
    std::vector<unsigned char> secret = {1, 2, 3, 0, 5};
    std::vector<unsigned char> lsb = pub.encrypt(secret, ByteOrder::LittleEndian);
    EXPECT_EQ(holder.key->decrypt(lsb, ByteOrder::LittleEndian), secret);
    // What openssl encrypts, the key decrypts (most significant byte first).
    testpki::writeFile(home.path() + "/c.pem", holder.certificate->pem());
    testpki::writeFile(home.path() + "/plain", "session key");
    ASSERT_EQ(testpki::run("openssl pkeyutl -encrypt -certin -inkey " + home.path() +
                           "/c.pem -in " + home.path() + "/plain -out " + home.path() + "/enc"),
              0);
    std::string enc = testpki::readFile(home.path() + "/enc");
    std::vector<unsigned char> block(enc.begin(), enc.end());
    std::vector<unsigned char> plain = holder.key->decrypt(block, ByteOrder::BigEndian);
    EXPECT_EQ(std::string(plain.begin(), plain.end()), "session key");
    // And what the key's owner encrypts, openssl decrypts.
    std::vector<unsigned char> mine = pub.encrypt(secret, ByteOrder::BigEndian);
    testpki::writeFile(home.path() + "/mine", std::string(mine.begin(), mine.end()));
    testpki::writeFile(home.path() + "/k.pem", holder.key->toPem(""));
    std::string out;
    ASSERT_EQ(testpki::run("openssl pkeyutl -decrypt -inkey " + home.path() + "/k.pem -in " +
                               home.path() + "/mine",
                           &out),
              0);
    EXPECT_EQ(out, std::string(secret.begin(), secret.end()));

    EXPECT_CRYPT_ERROR(
        pub.encrypt(std::vector<unsigned char>(pub.size() - 10, 1), ByteOrder::BigEndian),
        errors::NTE_BAD_LEN);
    block[5] ^= 0x55;
    EXPECT_CRYPT_ERROR(holder.key->decrypt(block, ByteOrder::BigEndian), errors::NTE_BAD_DATA);
}

TEST(RsaKey, ImportsWindowsKeyBlobsAndKeyInfos) {
    std::shared_ptr<PrivateKey> key = testpki::newKey(1024);
    std::vector<unsigned char> blob = privateBlob(*key);
    PrivateKey imported = PrivateKey::fromBlob(blob);
    std::vector<unsigned char> hash = sha256Of("x");
    std::vector<unsigned char> sig =
        imported.signHash(HashAlgorithm::SHA256, hash, ByteOrder::LittleEndian);
    EXPECT_EQ(sig, key->signHash(HashAlgorithm::SHA256, hash, ByteOrder::LittleEndian));
    // The public half of the blob, and the key info, verify it.
    PublicKey fromBlob = PublicKey::fromBlob(blob);
    EXPECT_TRUE(fromBlob.verifyHash(HashAlgorithm::SHA256, hash, sig, ByteOrder::LittleEndian));
    PublicKey fromInfo =
        PublicKey::fromSubjectPublicKeyInfo(key->publicKey().subjectPublicKeyInfo());
    EXPECT_TRUE(fromInfo.verifyHash(HashAlgorithm::SHA256, hash, sig, ByteOrder::LittleEndian));
    EXPECT_EQ(fromInfo.bits(), 1024);

    std::vector<unsigned char> truncated(blob.begin(), blob.begin() + 100);
    EXPECT_CRYPT_ERROR(PrivateKey::fromBlob(truncated), errors::NTE_BAD_DATA);
    std::vector<unsigned char> wrongType = blob;
    wrongType[0] = 0x01;
    EXPECT_CRYPT_ERROR(PrivateKey::fromBlob(wrongType), errors::NTE_BAD_TYPE);
    EXPECT_CRYPT_ERROR(PublicKey::fromSubjectPublicKeyInfo({0x30, 0x03, 0x02, 0x01, 0x00}),
                       errors::CRYPT_E_ASN1_BADTAG);
}

TEST(RsaKey, EncryptedPemNeedsItsPassword) {
    std::shared_ptr<PrivateKey> key = testpki::newKey(1024);
    std::string pem = key->toPem("s3cret");
    EXPECT_NE(pem.find("ENCRYPTED PRIVATE KEY"), std::string::npos);
    PrivateKey back = PrivateKey::fromPem(pem, "s3cret");
    EXPECT_EQ(EVP_PKEY_eq(back.get(), key->get()), 1);
    EXPECT_CRYPT_ERROR(PrivateKey::fromPem(pem, "wrong"), errors::ERROR_INVALID_DATA);
    EXPECT_CRYPT_ERROR(PrivateKey::fromPem("garbage", ""), errors::ERROR_INVALID_DATA);
}

#include "platform/crypt/Digest.h"

#include <string>

#include <gtest/gtest.h>

#include "CryptTestSupport.h"
#include "TestPki.h"
#include "platform/crypt/CryptErrors.h"

using namespace platform::crypt;

namespace {

std::string hex(const std::vector<unsigned char>& v) {
    static const char d[] = "0123456789abcdef";
    std::string s;
    for (unsigned char b : v) {
        s += d[b >> 4];
        s += d[b & 15];
    }
    return s;
}

} // namespace

TEST(Digest, KnownVectors) {
    const std::string abc = "abc";
    auto* p = reinterpret_cast<const unsigned char*>(abc.data());
    EXPECT_EQ(hex(digest(HashAlgorithm::MD5, p, 3)), "900150983cd24fb0d6963f7d28e17f72");
    EXPECT_EQ(hex(digest(HashAlgorithm::SHA1, p, 3)), "a9993e364706816aba3e25717850c26c9cd0d89d");
    EXPECT_EQ(hex(digest(HashAlgorithm::SHA256, p, 3)),
              "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_EQ(hex(digest(HashAlgorithm::SHA1, nullptr, 0)),
              "da39a3ee5e6b4b0d3255bfef95601890afd80709");
}

TEST(Digest, IncrementalEqualsOneShotAndOpensslDgst) {
    testpki::TempHome home;
    std::string data;
    for (int i = 0; i < 100000; ++i) {
        data += static_cast<char>(i * 7 + 3);
    }
    testpki::writeFile(home.path() + "/data.bin", data);
    Digest d(HashAlgorithm::SHA256);
    for (size_t at = 0; at < data.size(); at += 1000) {
        d.update(data.data() + at, std::min<size_t>(1000, data.size() - at));
    }
    d.update(nullptr, 0);
    std::string incremental = hex(d.finish());
    EXPECT_EQ(incremental,
              hex(digest(HashAlgorithm::SHA256, reinterpret_cast<const unsigned char*>(data.data()),
                         data.size())));
    std::string out;
    ASSERT_EQ(testpki::run("openssl dgst -sha256 -r " + home.path() + "/data.bin", &out), 0);
    EXPECT_EQ(out.substr(0, 64), incremental);
}

TEST(Digest, FinishTwiceIsABadHashState) {
    Digest d(HashAlgorithm::MD5);
    d.update("x", 1);
    EXPECT_EQ(d.finish().size(), 16u);
    EXPECT_CRYPT_ERROR(d.finish(), errors::NTE_BAD_HASH_STATE);
    EXPECT_CRYPT_ERROR(d.update("x", 1), errors::NTE_BAD_HASH_STATE);
    EXPECT_EQ(Digest::size(HashAlgorithm::SHA1), 20u);
}

#include "platform/crypt/DerReader.h"

#include <openssl/objects.h>

#include <gtest/gtest.h>

#include "CryptTestSupport.h"
#include "platform/crypt/CryptErrors.h"
#include "platform/crypt/DerWriter.h"

using namespace platform::crypt;

TEST(Der, OidsRoundTripAndMatchOpenSsl) {
    for (const char* text : {"1.2.840.113549.1.7.2", "2.5.4.3", "1.3.14.3.2.26",
                             "2.999.18446744073709551615", "0.39", "1.2.840.113549.1.9.16.2.12"}) {
        Bytes encoded = der::oid(text);
        DerReader reader(encoded.data(), encoded.size());
        EXPECT_EQ(oidText(reader.next()), text);
        if (std::string(text).rfind("2.999.", 0) != 0) {
            ASN1_OBJECT* obj = OBJ_txt2obj(text, 1);
            ASSERT_NE(obj, nullptr);
            unsigned char* out = nullptr;
            int n = i2d_ASN1_OBJECT(obj, &out);
            EXPECT_EQ(Bytes(out, out + n), encoded) << text;
            OPENSSL_free(out);
            ASN1_OBJECT_free(obj);
        }
    }
    for (const char* bad : {"", "1", "3.1", "1.40", "1..2", "1.2.", "a.b", "1.2.-3"}) {
        EXPECT_CRYPT_ERROR(der::oid(bad), errors::CRYPT_E_OID_FORMAT);
    }
}

TEST(Der, LengthsUseTheShortestForm) {
    EXPECT_EQ(der::length(127), Bytes({0x7F}));
    EXPECT_EQ(der::length(128), Bytes({0x81, 0x80}));
    EXPECT_EQ(der::length(255), Bytes({0x81, 0xFF}));
    EXPECT_EQ(der::length(256), Bytes({0x82, 0x01, 0x00}));
    EXPECT_EQ(der::length(0x10000), Bytes({0x83, 0x01, 0x00, 0x00}));
    Bytes big(300, 0xAB);
    Bytes seq = der::sequence({&big});
    DerReader reader(seq.data(), seq.size());
    DerElement e = reader.next();
    EXPECT_EQ(e.tag, 0x30);
    EXPECT_EQ(e.headerLength, 4u);
    EXPECT_EQ(e.length, 300u);
    EXPECT_TRUE(reader.atEnd());
}

TEST(Der, IntegersAreMinimalAndPositive) {
    EXPECT_EQ(der::integer(0), Bytes({0x02, 0x01, 0x00}));
    EXPECT_EQ(der::integer(127), Bytes({0x02, 0x01, 0x7F}));
    EXPECT_EQ(der::integer(128), Bytes({0x02, 0x02, 0x00, 0x80}));
    Bytes i = der::integer(0x123456789ULL);
    DerReader reader(i.data(), i.size());
    EXPECT_EQ(integerValue(reader.next()), 0x123456789ULL);
}

TEST(Der, MalformedInputIsRefusedWithoutReadingPastTheEnd) {
    const Bytes cases[] = {
        {0x30},                   // no length
        {0x30, 0x05, 0x01},       // value past the end
        {0x30, 0x80, 0x00, 0x00}, // indefinite length
        {0x30, 0x84, 0xFF, 0xFF}, // length octets cut short
        {0x1F, 0x01, 0x00},       // multi-byte tag
        {0x30, 0x89, 1, 2, 3, 4, 5, 6, 7, 8, 9},
        {0x04, 0x88, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF},
    };
    for (const Bytes& bytes : cases) {
        DerReader reader(bytes.data(), bytes.size());
        EXPECT_CRYPT_ERROR(reader.next(), errors::CRYPT_E_ASN1_CORRUPT);
    }
    Bytes empty;
    DerReader none(empty.data(), 0);
    EXPECT_CRYPT_ERROR(none.next(), errors::CRYPT_E_ASN1_EOD);
    Bytes octets = der::octetString(reinterpret_cast<const unsigned char*>("ab"), 2);
    DerReader reader(octets.data(), octets.size());
    EXPECT_CRYPT_ERROR(reader.expect(0x30), errors::CRYPT_E_ASN1_BADTAG);
}

TEST(Der, NestedReadersReportOffsetsInTheWholeMessage) {
    Bytes inner = der::octetString(reinterpret_cast<const unsigned char*>("xyz"), 3);
    Bytes mid = der::constructed(0xA0, {&inner});
    Bytes oid = der::oid("1.2.3");
    Bytes outer = der::sequence({&oid, &mid});
    DerReader top(outer.data(), outer.size());
    DerElement seq = top.next();
    DerReader r = top.inside(seq);
    EXPECT_EQ(oidText(r.next()), "1.2.3");
    DerElement a0 = r.expect(0xA0);
    EXPECT_EQ(a0.offset, 2 + oid.size());
    DerElement os = r.inside(a0).expect(0x04);
    EXPECT_EQ(os.offset, a0.offset + 2);
    EXPECT_EQ(std::string(os.value, os.value + os.length), "xyz");
}

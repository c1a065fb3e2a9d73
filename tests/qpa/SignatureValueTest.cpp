#include "component/pdf/SignatureValue.h"

#include <gtest/gtest.h>

#include "stream/HexBin.h"

namespace {

using component::pdf::SignatureValue;

std::string zeros(size_t n) {
    return std::string(n, '0');
}

TEST(SignatureValueTest, LengthComesFromTheDerHeaderSoAFinalZeroByteStays) {
    // SEQUENCE { INTEGER 0 }: the encoding ends with the byte 00.
    EXPECT_EQ(SignatureValue::fromHex("3003020100" + zeros(40)),
              std::string("\x30\x03\x02\x01\x00", 5));
    // Ending in 0x10: the final "0" digit belongs to the encoding.
    EXPECT_EQ(SignatureValue::fromHex("3003020110" + zeros(7)), "\x30\x03\x02\x01\x10");
    // Long-form length (0x81 0x80: 128 bytes of value, the last ones zero).
    std::string value = "02017E" + zeros(2 * 125);
    EXPECT_EQ(SignatureValue::fromHex("308180" + value + zeros(100)).size(), 131u);
    // Lower-case digits and white space between them, as PDF writers may leave them.
    EXPECT_EQ(SignatureValue::fromHex("30 03\r\n02 01 0a" + zeros(4)), "\x30\x03\x02\x01\x0a");
}

TEST(SignatureValueTest, IndefiniteLengthsEndAtTheirEndOfContents) {
    // SEQUENCE (indefinite) { OID, [0] (indefinite) { SEQUENCE { INTEGER 0 } } }, as NSS
    // writes signed messages: the end-of-contents zeros belong to the value.
    std::string ber = "3080"
                      "0603550403"
                      "A080"
                      "3003020100"
                      "0000"
                      "0000";
    EXPECT_EQ(SignatureValue::fromHex(ber + zeros(64)), stream::HexBin::decode(ber));
    // Indefinite lengths on a primitive element are malformed.
    EXPECT_EQ(SignatureValue::fromHex("3080"
                                      "0480"
                                      "0000"
                                      "0000"),
              std::string("\x30\x80\x04\x80", 4));
}

TEST(SignatureValueTest, WithoutACompleteSequenceTheTrailingZerosEndTheValue) {
    // An unfilled placeholder holds no signature.
    EXPECT_EQ(SignatureValue::fromHex(zeros(9472)), "");
    EXPECT_EQ(SignatureValue::fromHex(""), "");
    // An indefinite length never closed: up to the last digit that is not "0".
    EXPECT_EQ(SignatureValue::fromHex("30800201050102"), "\x30\x80\x02\x01\x05\x01\x02");
    // An odd digit left over is the high half of the last byte.
    EXPECT_EQ(SignatureValue::fromHex("0401A" + zeros(9)), "\x04\x01\xA0");
    // A header announcing more than the value holds.
    EXPECT_EQ(SignatureValue::fromHex("30820FFF0201AB" + zeros(6)), "\x30\x82\x0F\xFF\x02\x01\xAB");
    // Not a SEQUENCE at all.
    EXPECT_EQ(SignatureValue::fromHex("0401AB00"), "\x04\x01\xAB");
}

} // namespace

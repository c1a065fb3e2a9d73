#include "stream/HexBin.h"

#include <random>

#include <gtest/gtest.h>

#include "stream/exceptions/StreamException.h"

using stream::HexBin;

TEST(HexBin, EncodesInTheChosenCase) {
    const std::string bytes("\x00\x0a\xff\x5B", 4);
    EXPECT_EQ(HexBin::encode(bytes, true), "000AFF5B");
    EXPECT_EQ(HexBin::encode(bytes, false), "000aff5b");
    HexBin encoder(false, true);
    EXPECT_EQ(encoder.update("\x01"), "01");
    EXPECT_EQ(encoder.update(""), "");
    EXPECT_EQ(encoder.finish(), "");
}

TEST(HexBin, DecoderCarriesAnOddDigitToTheNextUpdate) {
    HexBin decoder(true);
    EXPECT_EQ(decoder.update("0a1"), std::string("\x0A", 1));
    EXPECT_EQ(decoder.update(""), ""); // no bytes: the pending digit stays
    EXPECT_EQ(decoder.update("B"), std::string("\x1B", 1));
    EXPECT_NO_THROW(decoder.finish());
}

TEST(HexBin, FinishWithAPendingDigitRaises) {
    HexBin decoder(true);
    EXPECT_EQ(decoder.update("abc"), std::string("\xAB", 1));
    try {
        decoder.finish();
        FAIL() << "no exception";
    } catch (const stream::exceptions::StreamException& e) {
        EXPECT_STREQ(e.what(), "Invalid input for decoding HexBin");
    }
}

TEST(HexBin, PairsThatAreNotHexReadAsScanfReadsThem) {
    EXPECT_EQ(HexBin::decode("zz"), std::string("\x00", 1));
    EXPECT_EQ(HexBin::decode("7z"), std::string("\x07", 1));
    EXPECT_EQ(HexBin::decode("z7"), std::string("\x00", 1));
}

TEST(HexBin, RandomRoundTripsWithSplitUpdates) {
    std::mt19937 rng(99);
    for (size_t n : {0, 1, 2, 7, 255, 1000}) {
        std::string bytes(n, '\0');
        for (char& c : bytes) {
            c = static_cast<char>(rng());
        }
        std::string text = HexBin::encode(bytes, n % 2 == 0);
        HexBin decoder(true);
        std::string out;
        for (size_t at = 0; at < text.size(); at += 3) {
            out += decoder.update(text.substr(at, 3));
        }
        out += decoder.finish();
        EXPECT_EQ(out, bytes) << n;
    }
}

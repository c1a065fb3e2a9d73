#include "stream/RawCodecs.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "stream/Base64.h"

using namespace stream;

namespace {

std::string encodeRaw(const std::string& bytes) {
    size_t length = base64EncodeRaw(nullptr, reinterpret_cast<const unsigned char*>(bytes.data()),
                                    bytes.size());
    std::string out(length, '\0');
    EXPECT_EQ(base64EncodeRaw(out.data(), reinterpret_cast<const unsigned char*>(bytes.data()),
                              bytes.size()),
              length);
    return out;
}

std::string decimal(std::initializer_list<unsigned char> bytes, size_t* last = nullptr) {
    std::vector<unsigned char> input(bytes);
    std::string out(bytesToDecimalRoom(input.size()), 'x');
    size_t result = bytesToDecimal(input.data(), input.size(), out.data());
    if (last) {
        *last = result;
    }
    EXPECT_EQ(out[result + 1], '\0');
    return out.substr(0, result + 1);
}

} // namespace

TEST(RawCodecs, Base64EncodeRawPadsAndComputesTheLength) {
    EXPECT_EQ(encodeRaw(""), "");
    EXPECT_EQ(encodeRaw("a"), "YQ==");
    EXPECT_EQ(encodeRaw("ab"), "YWI=");
    EXPECT_EQ(encodeRaw("abc"), "YWJj");
    EXPECT_EQ(encodeRaw("abcd"), "YWJjZA==");
    EXPECT_EQ(base64EncodeRaw(nullptr, nullptr, 10), 16u);
}

TEST(RawCodecs, Base64EncodeRawOfPiecesEqualsTheWhole) {
    std::string data;
    for (int i = 0; i < 200003; ++i) {
        data += static_cast<char>((i * 7919) % 251);
    }
    const std::string whole = encodeRaw(data);
    for (size_t a : {0u, 1u, 2u, 4u, 100u, 65537u}) {
        for (size_t b : {0u, 1u, 2u, 5u}) {
            std::vector<std::string_view> pieces = {std::string_view(data).substr(0, a),
                                                    std::string_view(data).substr(a, b),
                                                    std::string_view(data).substr(a + b)};
            std::string out(base64EncodeRaw(nullptr, pieces), '\0');
            ASSERT_EQ(base64EncodeRaw(out.data(), pieces), whole.size());
            ASSERT_EQ(out, whole) << a << " " << b;
        }
    }
    // Pieces too short to fill a group on their own.
    std::vector<std::string_view> bits = {"a", "", "b", "cd", "e"};
    std::string out(base64EncodeRaw(nullptr, bits), '\0');
    base64EncodeRaw(out.data(), bits);
    EXPECT_EQ(out, encodeRaw("abcde"));
}

TEST(RawCodecs, Base64DecodeRawGroupsAndPadding) {
    EXPECT_EQ(base64DecodeRaw("YWJj"), std::optional<std::string>("abc"));
    EXPECT_EQ(base64DecodeRaw("YWI="), std::optional<std::string>("ab"));
    EXPECT_EQ(base64DecodeRaw("YQ=="), std::optional<std::string>("a"));
    EXPECT_EQ(base64DecodeRaw("YW\r\nJj\n"), std::optional<std::string>("abc"));
    EXPECT_EQ(base64DecodeRaw(""), std::optional<std::string>(""));
    // Kept characters that do not fill the last group: failure.
    EXPECT_EQ(base64DecodeRaw("YWJ"), std::nullopt);
    EXPECT_EQ(base64DecodeRaw("YWJjY"), std::nullopt);
    EXPECT_EQ(base64DecodeRaw("Y*W*J"), std::nullopt);
}

TEST(RawCodecs, Base64DecodeRawEstimate) {
    EXPECT_EQ(base64DecodeRawEstimate("YWJj"), 3u);
    EXPECT_EQ(base64DecodeRawEstimate("YWI="), 2u);
    EXPECT_EQ(base64DecodeRawEstimate("YQ=="), 1u);
    EXPECT_EQ(base64DecodeRawEstimate(""), 0u);
    EXPECT_EQ(base64DecodeRawEstimate("=="), 0u);
}

TEST(RawCodecs, RawAndStreamingBase64Agree) {
    std::mt19937 rng(7);
    for (size_t n = 0; n < 300; n += 7) {
        std::string bytes(n, '\0');
        for (char& c : bytes) {
            c = static_cast<char>(rng());
        }
        std::string text = encodeRaw(bytes);
        EXPECT_EQ(text, Base64::encode(bytes));
        EXPECT_EQ(base64DecodeRaw(text), std::optional<std::string>(bytes));
    }
}

TEST(RawCodecs, HexToBytes) {
    unsigned char out[4];
    std::memset(out, 0x55, sizeof out);
    EXPECT_EQ(hexToBytes("0aFF", out, 4), 2u);
    EXPECT_EQ(out[0], 0x0A);
    EXPECT_EQ(out[1], 0xFF);
    EXPECT_EQ(out[2], 0x00); // cleared to outSize zero bytes
    EXPECT_EQ(out[3], 0x00);

    // An odd last digit fills the high nibble of the next byte.
    EXPECT_EQ(hexToBytes("123", out, 2), 1u);
    EXPECT_EQ(out[0], 0x12);
    EXPECT_EQ(out[1], 0x30);

    EXPECT_EQ(hexToBytes("12345", out, 2), 0u); // outSize * 2 < length
    EXPECT_EQ(hexToBytes("12g4", out, 4), 0u);  // not a hex digit
    EXPECT_EQ(hexToBytes("", out, 4), 0u);
}

TEST(RawCodecs, BytesToDecimal) {
    size_t last = 99;
    EXPECT_EQ(decimal({0x01, 0x00}, &last), "256");
    EXPECT_EQ(last, 2u);
    EXPECT_EQ(decimal({0x00}, &last), "0");
    EXPECT_EQ(last, 0u);
    EXPECT_EQ(decimal({0x00, 0x00, 0x07}), "7");
    EXPECT_EQ(decimal({0xFF}), "255");
    EXPECT_EQ(decimal({0xFF, 0xFF, 0xFF, 0xFF}), "4294967295");
    EXPECT_EQ(decimal({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}), "18446744073709551615");
    // 2^128 - 1
    std::vector<unsigned char> big(16, 0xFF);
    EXPECT_EQ(bytesToDecimal(big.data(), big.size()), "340282366920938463463374607431768211455");
    EXPECT_EQ(bytesToDecimal(nullptr, 0), "0");
}

TEST(RawCodecs, BytesToDecimalMatchesMachineArithmetic) {
    std::mt19937_64 rng(5);
    for (int i = 0; i < 200; ++i) {
        uint64_t value = rng() >> (i % 64);
        unsigned char bytes[8];
        for (int b = 0; b < 8; ++b) {
            bytes[b] = static_cast<unsigned char>(value >> (56 - 8 * b));
        }
        EXPECT_EQ(bytesToDecimal(bytes, 8), std::to_string(value));
    }
}

TEST(RawCodecs, DuplicateString) {
    EXPECT_EQ(duplicateString(nullptr), nullptr);
    auto copy = duplicateString("señal");
    ASSERT_NE(copy, nullptr);
    EXPECT_STREQ(copy.get(), "señal");
    auto empty = duplicateString("");
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(empty[0], '\0');
}

TEST(RawCodecs, WideEncodingGivesTheSameTextAsUtf16) {
    for (std::string bytes : {std::string(), std::string("a"), std::string("ab"),
                              std::string("abc"), std::string("\xFF\xFE\x00\x01", 4)}) {
        const auto* src = reinterpret_cast<const unsigned char*>(bytes.data());
        size_t length = base64EncodeRawWide(nullptr, src, bytes.size());
        std::u16string wide(length, u'\0');
        EXPECT_EQ(base64EncodeRawWide(wide.data(), src, bytes.size()), length);
        std::string narrow = encodeRaw(bytes);
        ASSERT_EQ(wide.size(), narrow.size());
        for (size_t i = 0; i < narrow.size(); ++i) {
            EXPECT_EQ(wide[i], static_cast<char16_t>(narrow[i]));
        }
    }
}

// The wide encoder takes a vector path for long input; at every length around its 24-byte
// steps (and for a long random block) it must give the byte encoder's text, reading nothing
// past the input (the input is an exact-size heap block, so a sanitizer build catches that).
TEST(RawCodecs, WideEncodingAgreesWithTheByteEncoderAtEveryLength) {
    std::mt19937 random(7);
    std::vector<size_t> lengths;
    for (size_t n = 0; n <= 100; ++n) {
        lengths.push_back(n);
    }
    for (size_t n : {239u, 240u, 241u, 242u, 243u, 1000u, 4097u, (1u << 20) + 1}) {
        lengths.push_back(n);
    }
    for (size_t n : lengths) {
        auto input = std::make_unique<unsigned char[]>(n);
        for (size_t i = 0; i < n; ++i) {
            input[i] = static_cast<unsigned char>(random());
        }
        std::string narrow = encodeRaw(std::string(reinterpret_cast<char*>(input.get()), n));
        std::u16string wide(narrow.size() + 1, u'#');
        ASSERT_EQ(base64EncodeRawWide(wide.data(), input.get(), n), narrow.size()) << n;
        EXPECT_EQ(wide.back(), u'#') << "written past the text, length " << n;
        wide.pop_back();
        EXPECT_TRUE(std::equal(wide.begin(), wide.end(), narrow.begin(), narrow.end(),
                               [](char16_t w, char c) { return w == static_cast<char16_t>(c); }))
            << "length " << n;
    }
}

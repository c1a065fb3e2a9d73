#include "stream/Base64.h"

#include <algorithm>
#include <iterator>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "TestDir.h"
#include "stream/RawCodecs.h"
#include "stream/exceptions/StreamException.h"

using stream::Base64;

namespace {

// Bit-by-bit reference encoder, independent of the table-driven one.
std::string referenceEncode(const std::string& bytes) {
    static const char* alphabet =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    unsigned bits = 0;
    int count = 0;
    for (unsigned char c : bytes) {
        bits = (bits << 8) | c;
        count += 8;
        while (count >= 6) {
            out.push_back(alphabet[(bits >> (count - 6)) & 63]);
            count -= 6;
        }
    }
    if (count > 0) {
        out.push_back(alphabet[(bits << (6 - count)) & 63]);
    }
    while (out.size() % 4 != 0) {
        out.push_back('=');
    }
    return out;
}

std::string randomBytes(std::mt19937& rng, size_t n) {
    std::string bytes(n, '\0');
    for (char& c : bytes) {
        c = static_cast<char>(rng() & 0xFF);
    }
    return bytes;
}

// Feeds text in pieces of the given sizes (cycled) and concatenates every output.
std::string streamed(int mode, const std::string& input, const std::vector<size_t>& pieces) {
    Base64 codec(mode);
    std::string out;
    size_t at = 0;
    for (size_t i = 0; at < input.size(); ++i) {
        size_t n = std::min(pieces[i % pieces.size()], input.size() - at);
        out += codec.update(input.substr(at, n));
        at += n;
    }
    out += codec.finish();
    return out;
}

} // namespace

TEST(Base64, EncodesWholeGroupsInUpdateAndPadsInFinish) {
    Base64 encoder(Base64::ENCODE, 4096);
    EXPECT_EQ(encoder.update("abc"), "YWJj");
    EXPECT_EQ(encoder.finish(), "");

    Base64 one(Base64::ENCODE);
    EXPECT_EQ(one.update("a"), "");
    EXPECT_EQ(one.finish(), "YQ==");

    Base64 split(Base64::ENCODE);
    EXPECT_EQ(split.update("a"), "");
    EXPECT_EQ(split.update("b"), "");
    EXPECT_EQ(split.finish(), "YWI=");
}

TEST(Base64, FinishResetsTheEncoder) {
    Base64 encoder(Base64::ENCODE);
    EXPECT_EQ(encoder.update("ab"), "");
    EXPECT_EQ(encoder.finish(), "YWI=");
    EXPECT_EQ(encoder.finish(), "");
    EXPECT_EQ(encoder.update("abcd"), "YWJj");
    EXPECT_EQ(encoder.finish(), "ZA==");
}

TEST(Base64, DecoderSkipsCharactersOutsideTheAlphabet) {
    Base64 decoder(Base64::DECODE);
    EXPECT_EQ(decoder.update("YW\r\nJj") + decoder.finish(), "abc");

    Base64 single(Base64::DECODE);
    EXPECT_EQ(single.update("Y"), "");
    EXPECT_EQ(single.finish(), "");

    EXPECT_EQ(Base64::decode("YQ=="), "a");
    EXPECT_EQ(Base64::decode("YWI="), "ab");
    EXPECT_EQ(Base64::decode("Y W I"), "ab");  // three pending characters give two bytes
    EXPECT_EQ(Base64::decode("=Y=Q=\t"), "a"); // "=" skipped wherever it is
    EXPECT_EQ(Base64::decode(std::string("\0\xFF*", 3)), ""); // no error for any input
}

TEST(Base64, DecoderKeepsPendingCharactersAcrossUpdates) {
    Base64 decoder(Base64::DECODE);
    EXPECT_EQ(decoder.update("YW"), "");
    EXPECT_EQ(decoder.update("Jj"), "abc");
    EXPECT_EQ(decoder.update("Y"), "");
    EXPECT_EQ(decoder.update("Q"), "");
    EXPECT_EQ(decoder.finish(), "a");
}

TEST(Base64, RejectsAZeroBufferLength) {
    try {
        Base64 codec(Base64::ENCODE, 0);
        FAIL() << "no exception";
    } catch (const stream::exceptions::StreamException& e) {
        EXPECT_STREQ(e.what(), "Invalid buffer length(0). Must be a positive value.");
        EXPECT_EQ(e.code(), -1);
    }
    EXPECT_THROW(Base64(7), stream::exceptions::StreamException);
}

TEST(Base64, RandomRoundTripsMatchTheReferenceForEverySplit) {
    std::mt19937 rng(1234);
    for (size_t n : {0, 1, 2, 3, 4, 5, 17, 100, 1000, 4095, 4096, 4097, 65537}) {
        std::string bytes = randomBytes(rng, n);
        std::string expected = referenceEncode(bytes);
        EXPECT_EQ(Base64::encode(bytes), expected) << n;
        EXPECT_EQ(streamed(Base64::ENCODE, bytes, {1}), expected) << n;
        EXPECT_EQ(streamed(Base64::ENCODE, bytes, {2, 5, 7}), expected) << n;
        EXPECT_EQ(streamed(Base64::ENCODE, bytes, {4096}), expected) << n;
        EXPECT_EQ(Base64::decode(expected), bytes) << n;
        EXPECT_EQ(streamed(Base64::DECODE, expected, {1}), bytes) << n;
        EXPECT_EQ(streamed(Base64::DECODE, expected, {3, 1, 6}), bytes) << n;

        // Line breaks every 76 characters, as MIME writes it, decode to the same bytes.
        std::string wrapped;
        for (size_t i = 0; i < expected.size(); i += 76) {
            wrapped += expected.substr(i, 76) + "\r\n";
        }
        EXPECT_EQ(streamed(Base64::DECODE, wrapped, {13}), bytes) << n;
    }
}

namespace {

// Decodes text (narrow or UTF-16) into caller storage in pieces of the given sizes (cycled),
// with guard bytes after the room each call was promised, which must stay untouched.
template <typename Unit>
std::string decodedInto(const std::basic_string<Unit>& text, const std::vector<size_t>& pieces) {
    Base64 codec(Base64::DECODE);
    std::string out;
    size_t at = 0;
    for (size_t i = 0; at < text.size(); ++i) {
        size_t n = std::min(pieces[i % pieces.size()], text.size() - at);
        size_t room = codec.decodeRoom(n);
        std::string storage(room + 8, '\x5A');
        auto* dst = reinterpret_cast<unsigned char*>(storage.data());
        size_t written = codec.decodeInto(text.data() + at, n, dst);
        EXPECT_LE(written, room);
        EXPECT_EQ(storage.substr(room), std::string(8, '\x5A')) << "wrote past the room";
        out.append(storage, 0, written);
        at += n;
    }
    unsigned char tail[2 + 8];
    std::fill(std::begin(tail), std::end(tail), 0x5A);
    size_t last = codec.finishInto(tail);
    EXPECT_LE(last, 2u);
    EXPECT_EQ(tail[2], 0x5A);
    out.append(reinterpret_cast<const char*>(tail), last);
    return out;
}

std::u16string widened(const std::string& text) {
    return std::u16string(text.begin(), text.end());
}

} // namespace

TEST(Base64, DecodesIntoCallerStorageFromNarrowAndWideText) {
    std::mt19937 rng(77);
    for (size_t n : {0, 1, 2, 3, 4, 5, 1023, 3071, 3072, 3073, 4095, 4096, 4097, 65537}) {
        std::string bytes = randomBytes(rng, n);
        std::string text = referenceEncode(bytes);
        for (const std::vector<size_t>& pieces :
             std::vector<std::vector<size_t>>{{text.size() + 1}, {1}, {3, 1, 6}, {4096}}) {
            auto* narrow = reinterpret_cast<const unsigned char*>(text.data());
            EXPECT_EQ(decodedInto(std::basic_string<unsigned char>(narrow, text.size()), pieces),
                      bytes)
                << n;
            EXPECT_EQ(decodedInto(widened(text), pieces), bytes) << n;
        }
    }
}

TEST(Base64, WideTextSkipsEveryUnitOutsideTheAlphabet) {
    // Units whose low byte is an alphabet character (U+0141, U+0159, U+2B2F) are not that
    // character; nor are surrogates, U+0000 or U+00FF. Trailing 2 and 3 characters give 1 and
    // 2 bytes, a single one nothing, as with narrow text.
    const std::u16string text{0x0141, u'Y',   0x0159, u'W',  0x2B2F, u'J', 0xD83D, 0xDE00, u'j',
                              0x0000, 0x00FF, u'=',   u'\r', u'\n',  u'Y', 0x00E9, u'Q'};
    EXPECT_EQ(decodedInto(text, {text.size()}), "abca");
    EXPECT_EQ(decodedInto(text, {1}), "abca");
    EXPECT_EQ(decodedInto(std::u16string(u"YWI"), {3}), "ab");
    EXPECT_EQ(decodedInto(std::u16string(u"YWJjY"), {2}), "abc");
    // The same text made narrow by dropping what is not ASCII decodes alike.
    std::string narrow;
    for (char16_t unit : text) {
        if (unit < 0x80) {
            narrow.push_back(static_cast<char>(unit));
        }
    }
    EXPECT_EQ(Base64::decode(narrow), "abca");
}

TEST(Base64, DecodingIntoStorageIsRefusedByAnEncoder) {
    Base64 encoder(Base64::ENCODE);
    unsigned char out[8];
    const char16_t text[] = u"YWJj";
    EXPECT_THROW(encoder.decodeInto(text, 4, out), stream::exceptions::StreamException);
    EXPECT_THROW(encoder.finishInto(out), stream::exceptions::StreamException);
}

TEST(Base64, AppendingOverloadsAddToTheCallersOutput) {
    Base64 encoder(Base64::ENCODE);
    std::string out = "prefix:";
    const unsigned char bytes[] = {'a', 'b', 'c', 'd'};
    encoder.update(bytes, 4, out);
    encoder.finish(out);
    EXPECT_EQ(out, "prefix:YWJjZA==");
}

TEST(Base64, AgreesWithCoreutilsBase64BothWays) {
    TestDir dir;
    std::mt19937 rng(2024);
    std::string bytes = randomBytes(rng, 100001);
    std::string input = dir.file("input.bin");
    TestDir::write(input, bytes);

    // Their text, unwrapped and wrapped at 76 columns, decodes to our bytes.
    ASSERT_EQ(std::system(("base64 -w0 '" + input + "' > '" + dir.file("w0.txt") + "'").c_str()),
              0);
    ASSERT_EQ(std::system(("base64 '" + input + "' > '" + dir.file("wrapped.txt") + "'").c_str()),
              0);
    std::string theirs = TestDir::read(dir.file("w0.txt"));
    EXPECT_EQ(Base64::encode(bytes), theirs);
    EXPECT_EQ(Base64::decode(TestDir::read(dir.file("wrapped.txt"))), bytes);
    EXPECT_EQ(stream::base64DecodeRaw(TestDir::read(dir.file("wrapped.txt"))),
              std::optional<std::string>(bytes));

    // Our text decodes with theirs.
    TestDir::write(dir.file("ours.txt"), Base64::encode(bytes));
    ASSERT_EQ(
        std::system(
            ("base64 -d '" + dir.file("ours.txt") + "' > '" + dir.file("back.bin") + "'").c_str()),
        0);
    EXPECT_EQ(TestDir::read(dir.file("back.bin")), bytes);
}

TEST(Base64, EncodeLinesBreaksEvery64CharactersButNotAfterTheLast) {
    auto lines = [](size_t n, std::string_view lineBreak) {
        std::string bytes(n, '\xA5');
        return Base64::encodeLines(reinterpret_cast<const unsigned char*>(bytes.data()), n,
                                   lineBreak);
    };
    EXPECT_EQ(lines(0, "\r\n"), "");
    const std::string one = lines(48, "\r\n"); // exactly one line of 64
    EXPECT_EQ(one.size(), 64u);
    EXPECT_EQ(one.find('\n'), std::string::npos);
    const std::string two = lines(49, "\r\n"); // 68 characters: 64, break, 4
    ASSERT_EQ(two.size(), 70u);
    EXPECT_EQ(two.substr(64, 2), "\r\n");
    EXPECT_EQ(two.substr(66), "pQ==");
    EXPECT_EQ(lines(96, "\n").size(), 129u); // two full lines, one break between
    std::string bytes(1000, '\0');
    for (size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = static_cast<char>(i * 13);
    }
    std::string wrapped = Base64::encodeLines(
        reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), "\r\n");
    EXPECT_EQ(Base64::decode(wrapped), bytes);
    wrapped.erase(std::remove(wrapped.begin(), wrapped.end(), '\r'), wrapped.end());
    wrapped.erase(std::remove(wrapped.begin(), wrapped.end(), '\n'), wrapped.end());
    EXPECT_EQ(wrapped, Base64::encode(bytes));
}

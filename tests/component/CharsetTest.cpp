#include <gtest/gtest.h>

#include "platform/system/Charset.h"

using platform::system::Charset;
using Kind = platform::system::Charset::Kind;

namespace {
std::u16string decode(Kind kind, std::string_view bytes) {
    return Charset::decode(kind, reinterpret_cast<const unsigned char*>(bytes.data()),
                           bytes.size());
}
} // namespace

TEST(CharsetTest, NamesAreExactAndEverythingElseIsAnsi) {
    EXPECT_EQ(Charset::fromName("UTF-16"), Kind::Utf16LE);
    EXPECT_EQ(Charset::fromName("UTF-16LE"), Kind::Utf16LE);
    EXPECT_EQ(Charset::fromName("UTF-16BE"), Kind::Utf16BE);
    EXPECT_EQ(Charset::fromName("ISO-8859-1"), Kind::Latin1);
    EXPECT_EQ(Charset::fromName("US-ASCII"), Kind::Ascii);
    EXPECT_EQ(Charset::fromName("UTF-8"), Kind::Utf8);
    EXPECT_EQ(Charset::fromName("utf-8"), Kind::Ansi);
    EXPECT_EQ(Charset::fromName(""), Kind::Ansi);
}

TEST(CharsetTest, InvalidUtf8BecomesReplacementCharacters) {
    EXPECT_EQ(decode(Kind::Ansi, "a\xFF"
                                 "b"),
              u"a\uFFFDb");
    EXPECT_EQ(decode(Kind::Utf8, "\xC3\xB1"), u"ñ");
    EXPECT_EQ(decode(Kind::Utf8, "\xE2\x82"), u"\uFFFD"); // truncated
    EXPECT_EQ(decode(Kind::Utf8, "\xE2\x82"
                                 "A"),
              u"\uFFFDA");                                      // interrupted
    EXPECT_EQ(decode(Kind::Utf8, "\xC0\xAF"), u"\uFFFD\uFFFD"); // overlong lead
    EXPECT_EQ(decode(Kind::Utf8, "\xED\xA0\x80"), u"\uFFFD");   // encoded surrogate
    EXPECT_EQ(decode(Kind::Utf8, "\xF0\x9F\x98\x80"), u"\U0001F600");
}

TEST(CharsetTest, Utf16BothOrders) {
    EXPECT_EQ(Charset::encode(Kind::Utf16BE, u"A"), std::string("\0A", 2));
    EXPECT_EQ(Charset::encode(Kind::Utf16LE, u"A"), std::string("A\0", 2));
    EXPECT_EQ(decode(Kind::Utf16BE, std::string_view("\0A\0B", 4)), u"AB");
    EXPECT_EQ(decode(Kind::Utf16LE, std::string_view("A\0B", 3)), u"A\uFFFD");
}

TEST(CharsetTest, EightBitSetsReplaceWhatTheyCannotHold) {
    EXPECT_EQ(Charset::encode(Kind::Latin1, u"ñ€"), "\xF1?");
    EXPECT_EQ(Charset::encode(Kind::Ascii, u"ñA\U0001F600"), "?A?");
    EXPECT_EQ(decode(Kind::Latin1, "\xF1"), u"ñ");
    EXPECT_EQ(decode(Kind::Ascii, "A\xF1"), u"A\uFFFD");
    EXPECT_EQ(Charset::toAnsi(u"ñ\xD800"), "\xC3\xB1\xEF\xBF\xBD"); // lone surrogate
}

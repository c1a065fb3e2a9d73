#include "stream/StringUtil.h"

#include <gtest/gtest.h>

#include "stream/exceptions/UtilStreamException.h"

using stream::StringUtil;

TEST(StringUtil, ConstructsFromNumbersAndNullText) {
    EXPECT_EQ(StringUtil(int32_t(-42)).str(), "-42");
    EXPECT_EQ(StringUtil(int32_t(INT32_MIN)).str(), "-2147483648");
    EXPECT_EQ(StringUtil(uint32_t(4294967295u)).str(), "4294967295");
    EXPECT_EQ(StringUtil(static_cast<const char*>(nullptr)).str(), "");
}

TEST(StringUtil, UpperCaseMapsAsciiAndTheSpanishLetters) {
    EXPECT_EQ(StringUtil("señal").toUpperCase().str(), "SEÑAL");
    EXPECT_EQ(StringUtil("áéíñóú abc").toUpperCase().str(), "ÁÉÍÑÓÚ ABC");
    // Other UTF-8 letters and sequences stay untouched, including ü, ç and à.
    EXPECT_EQ(StringUtil("ü ç à €").toUpperCase().str(), "ü ç à €");
    // A lead byte followed by the continuation of an already upper-case letter.
    EXPECT_EQ(StringUtil("Ñ").toUpperCase().str(), "Ñ");
    // A stray lead byte at the end is kept as it is.
    EXPECT_EQ(StringUtil("a\xC3").toUpperCase().str(), "A\xC3");
    StringUtil original("abc");
    original.toUpperCase();
    EXPECT_EQ(original.str(), "abc"); // the receiver is unchanged
}

TEST(StringUtil, TrimRemovesTheSetAtBothEnds) {
    EXPECT_EQ(StringUtil(" \t x \t").trim(" \t").str(), "x");
    EXPECT_EQ(StringUtil(" \t \t").trim(" \t").str(), "");
    EXPECT_EQ(StringUtil("").trim(" ").str(), "");
    EXPECT_EQ(StringUtil("xxaxbxx").trim("x").str(), "axb");
}

TEST(StringUtil, SplitDropsEmptyTokens) {
    EXPECT_EQ(StringUtil("a||b|").split("|"), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(StringUtil("a,b;c").split(",;"), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_TRUE(StringUtil("|||").split("|").empty());
}

TEST(StringUtil, ReplaceAllContinuesAfterTheInsertedText) {
    EXPECT_EQ(StringUtil("aaa").replaceAll("a", "aa").str(), "aaaaaa");
    EXPECT_EQ(StringUtil("a.b.c").replaceAll(".", "").str(), "abc");
    EXPECT_EQ(StringUtil("abab").replaceAll("ab", "x").str(), "xx");
    EXPECT_EQ(StringUtil("abc").replaceAll("", "x").str(), "abc");
    EXPECT_EQ(StringUtil("abc").replaceAll("zz", "x").str(), "abc");
}

TEST(StringUtil, StartsWith) {
    EXPECT_TRUE(StringUtil("SOCKET://x").startsWith("SOCKET"));
    EXPECT_TRUE(StringUtil("abc").startsWith(""));
    EXPECT_FALSE(StringUtil("xabc").startsWith("abc"));
    EXPECT_FALSE(StringUtil("ab").startsWith("abc"));
}

TEST(StringUtil, LongValueReadsLikeScanfUnsigned) {
    EXPECT_EQ(StringUtil("123").longValue(), 123u);
    EXPECT_EQ(StringUtil("  42abc").longValue(), 42u);
    EXPECT_EQ(StringUtil("+7").longValue(), 7u);
    EXPECT_EQ(StringUtil("4294967295").longValue(), 4294967295u);
    EXPECT_EQ(StringUtil("4294967296").longValue(), 0u); // wraps, no undefined behaviour
    EXPECT_EQ(StringUtil("-1").longValue(), 4294967295u);
    EXPECT_EQ(StringUtil("99999999999999999999999").longValue(), 4135583743u); // mod 2^32
    for (const char* bad : {"", "abc", " ", "-", "+x", "x1"}) {
        try {
            StringUtil(bad).longValue();
            FAIL() << "no exception for '" << bad << "'";
        } catch (const stream::exceptions::UtilStreamException& e) {
            EXPECT_STREQ(e.what(), "unsigned long StringUtil::longValue(std::string& cad): Bad "
                                   "unsigned long value string");
            EXPECT_EQ(e.code(), -1);
        }
    }
}

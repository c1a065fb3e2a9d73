#include "stream/Tokenizer.h"

#include <gtest/gtest.h>

#include "stream/exceptions/ArrayBoundsException.h"
#include "stream/exceptions/TokenizerException.h"

using stream::Tokenizer;

namespace {

std::vector<std::string> all(Tokenizer tokenizer) {
    std::vector<std::string> tokens;
    while (tokenizer.hasMoreTokens()) {
        tokens.push_back(tokenizer.NextToken());
    }
    return tokens;
}

} // namespace

TEST(Tokenizer, ThreeModes) {
    using V = std::vector<std::string>;
    EXPECT_EQ(all(Tokenizer("a||b", "|", 0)), (V{"a", "", "b"}));
    EXPECT_EQ(all(Tokenizer("a||b", "|", 1)), (V{"a", "b"}));
    EXPECT_EQ(all(Tokenizer("a||b", "|", 2)), (V{"a", "|", "", "|", "b"}));
}

TEST(Tokenizer, TrailingAndLeadingDelimiters) {
    using V = std::vector<std::string>;
    EXPECT_EQ(all(Tokenizer("|a|", "|", 0)), (V{"", "a", ""}));
    EXPECT_EQ(all(Tokenizer("|a|", "|", 1)), (V{"a"}));
    EXPECT_EQ(all(Tokenizer("a:b/c", ":/", 2)), (V{"a", ":", "b", "/", "c"}));
    EXPECT_EQ(all(Tokenizer("", "|", 0)), (V{""}));
    EXPECT_EQ(all(Tokenizer("", "|", 1)), (V{}));
    EXPECT_EQ(all(Tokenizer("abc", "", 1)), (V{"abc"}));
}

TEST(Tokenizer, CountIndexAndExhaustion) {
    Tokenizer tokenizer("x y z", " ", 1);
    EXPECT_EQ(tokenizer.countTokens(), 3u);
    EXPECT_EQ(tokenizer[1], "y");
    EXPECT_THROW(tokenizer.at(3), stream::exceptions::ArrayBoundsException);
    tokenizer.NextToken();
    tokenizer.NextToken();
    EXPECT_EQ(tokenizer.NextToken(), "z");
    EXPECT_FALSE(tokenizer.hasMoreTokens());
    try {
        tokenizer.NextToken();
        FAIL() << "no exception";
    } catch (const stream::exceptions::TokenizerException& e) {
        EXPECT_STREQ(e.what(),
                     "TokenizerException: NextToken() called when no more tokens where available");
        EXPECT_EQ(e.code(), 1);
    }
}

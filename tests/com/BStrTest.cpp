#include "com/BStr.h"

#include <cstring>
#include <string>
#include <string_view>

#include <gtest/gtest.h>

TEST(BStr, LayoutHasTheByteLengthBeforeAndTwoZeroBytesAfter) {
    BSTR s = SysAllocString(u"abc");
    ASSERT_NE(s, nullptr);
    std::uint32_t prefix = 0;
    std::memcpy(&prefix, reinterpret_cast<const char*>(s) - 4, 4);
    EXPECT_EQ(prefix, 6u);
    EXPECT_EQ(SysStringLen(s), 3u);
    EXPECT_EQ(SysStringByteLen(s), 6u);
    EXPECT_EQ(s[3], 0);
    SysFreeString(s);
}

TEST(BStr, ByteLengthKeepsOddLengthsAndZeroBytes) {
    const char bytes[] = {'\x00', 'a', '\x00', '\xff', 'b'};
    for (UINT n = 0; n <= 5; ++n) {
        BSTR s = SysAllocStringByteLen(bytes, n);
        ASSERT_NE(s, nullptr);
        EXPECT_EQ(SysStringByteLen(s), n);
        EXPECT_EQ(SysStringLen(s), n / 2);
        EXPECT_EQ(std::memcmp(s, bytes, n), 0);
        // two zero bytes follow the data, whatever the length
        EXPECT_EQ(reinterpret_cast<const char*>(s)[n], 0);
        EXPECT_EQ(reinterpret_cast<const char*>(s)[n + 1], 0);
        EXPECT_EQ(com::bstrBytes(s), std::string(bytes, n));
        SysFreeString(s);
    }
}

TEST(BStr, NullIsTheEmptyString) {
    EXPECT_EQ(SysStringLen(nullptr), 0u);
    EXPECT_EQ(SysStringByteLen(nullptr), 0u);
    EXPECT_EQ(SysAllocString(nullptr), nullptr);
    SysFreeString(nullptr);
    EXPECT_EQ(com::bstrToUtf8(nullptr), "");
    BSTR zeroed = SysAllocStringByteLen(nullptr, 3);
    ASSERT_NE(zeroed, nullptr);
    EXPECT_EQ(com::bstrBytes(zeroed), std::string(3, '\0'));
    SysFreeString(zeroed);
}

TEST(BStr, Utf8ConversionsRoundTripAndReplaceInvalidInput) {
    std::string text = "a\xC3\xB1\xE2\x82\xAC\xF0\x9F\x98\x80"; // a ñ € 😀
    std::u16string wide = com::utf8ToUtf16(text);
    EXPECT_EQ(wide, u"a\u00f1\u20ac\U0001F600");
    EXPECT_EQ(com::utf16ToUtf8(wide), text);
    EXPECT_EQ(com::utf8ToUtf16("\xFF"
                               "a\xC3"),
              u"\uFFFDa\uFFFD");
    EXPECT_EQ(com::utf8ToUtf16("\xC0\x80"), u"\uFFFD\uFFFD"); // overlong
    EXPECT_EQ(com::utf8ToUtf16("\xED\xA0\x80"), u"\uFFFD");   // an encoded surrogate
    EXPECT_EQ(com::utf16ToUtf8(u"\xD800x"), "\xEF\xBF\xBDx");
}

TEST(BStr, OwningWrapperCopiesMovesAndDetaches) {
    com::BStr a = com::BStr::fromUtf8("hola");
    com::BStr b = a;
    EXPECT_EQ(b.utf8(), "hola");
    EXPECT_NE(a.get(), b.get());
    com::BStr c = std::move(a);
    EXPECT_EQ(a.get(), nullptr);
    EXPECT_EQ(c.utf8(), "hola");
    BSTR raw = c.detach();
    EXPECT_EQ(c.get(), nullptr);
    com::BStr adopted = com::BStr::attach(raw);
    EXPECT_EQ(adopted.length(), 4u);
    com::BStr odd = com::BStr::fromBytes(std::string("\x01\x00\x02", 3));
    com::BStr copy = odd;
    EXPECT_EQ(copy.byteLength(), 3u);
    EXPECT_EQ(copy.bytes(), std::string("\x01\x00\x02", 3));
}

TEST(BStr, ReallocReplacesTheString) {
    BSTR s = SysAllocString(u"one");
    ASSERT_TRUE(SysReAllocString(&s, u"three"));
    EXPECT_EQ(com::bstrToUtf16(s), u"three");
    ASSERT_TRUE(SysReAllocStringLen(&s, u"ab", 1));
    EXPECT_EQ(com::bstrToUtf16(s), u"a");
    SysFreeString(s);
}

// Long strings take a different allocation path (large pages are asked for): they must still
// be zeroed when no text is given, hold the given text otherwise, and keep the layout.
TEST(BStr, LongStringsAreZeroedOrCopiedLikeShortOnes) {
    constexpr UINT kUnits = 5u << 20; // 10 MiB of UTF-16
    BSTR blank = SysAllocStringLen(nullptr, kUnits);
    ASSERT_NE(blank, nullptr);
    EXPECT_EQ(SysStringLen(blank), kUnits);
    for (UINT i = 0; i <= kUnits; i += 4093) {
        ASSERT_EQ(blank[i], 0) << i;
    }
    EXPECT_EQ(blank[kUnits - 1], 0);
    EXPECT_EQ(blank[kUnits], 0);

    std::u16string text(kUnits, u'\0');
    for (UINT i = 0; i < kUnits; ++i) {
        text[i] = static_cast<char16_t>(u'A' + i % 26);
    }
    BSTR copy = SysAllocStringLen(text.data(), kUnits);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(SysStringByteLen(copy), kUnits * 2u);
    EXPECT_EQ(std::u16string_view(copy, kUnits), text);
    EXPECT_EQ(copy[kUnits], 0);
    SysFreeString(copy);
    SysFreeString(blank);
}

#include "component/pdf/CBRawPdf.h"
#include "component/pdf/PdfParseException.h"

#include <gtest/gtest.h>

#include <vector>

using namespace component::pdf;

namespace {

std::vector<std::string> tokens(const std::string& text, bool lookahead = true) {
    CBRawPdf raw;
    raw.Open(std::string_view(text));
    std::vector<std::string> out;
    std::string token;
    while (raw.ReadToken(token, lookahead)) {
        out.push_back(token);
    }
    return out;
}

using Tokens = std::vector<std::string>;

} // namespace

TEST(PdfLexer, DelimitersSplitTokens) {
    EXPECT_EQ(tokens("/Type/Page"), (Tokens{"/Type", "/Page"}));
    EXPECT_EQ(tokens("/V<abc>"), (Tokens{"/V", "<abc>"}));
    EXPECT_EQ(tokens("/T(Name)"), (Tokens{"/T", "(Name)"}));
    EXPECT_EQ(tokens("<</A[1 2]>>"), (Tokens{"<<", "/A", "[", "1", "2", "]", ">>"}));
    EXPECT_EQ(tokens("/A\t/B"), (Tokens{"/A\t", "/B"})); // tab is an ordinary character
    EXPECT_EQ(tokens("1\t2"), (Tokens{"1\t2"}));
}

TEST(PdfLexer, ReferenceLookahead) {
    EXPECT_EQ(tokens("12 0 R"), (Tokens{"12 0 R"}));
    EXPECT_EQ(tokens("12   0\r\nR /X"), (Tokens{"12 0 R", "/X"}));
    EXPECT_EQ(tokens("12 0 obj"), (Tokens{"12", "0", "obj"}));
    EXPECT_EQ(tokens("12 0 R", false), (Tokens{"12", "0", "R"}));
    EXPECT_EQ(tokens("[1 2]"), (Tokens{"[", "1", "2", "]"}));
}

TEST(PdfLexer, LiteralStrings) {
    EXPECT_EQ(tokens("(a(b)c)"), (Tokens{"(a(b)c)"}));
    // Escaped parentheses never close the string.
    EXPECT_EQ(tokens("(a\\)b) /N"), (Tokens{"(a\\)b)", "/N"}));
    EXPECT_EQ(tokens("(x\\\\) /N"), (Tokens{"(x\\\\)", "/N"}));
    EXPECT_EQ(tokens("(caf\xE9 (x)) /N"), (Tokens{"(caf\xE9 (x))", "/N"}));
    std::string utf16 = std::string("(\xFE\xFF\x00\x41\x00\x42)", 8);
    EXPECT_EQ(tokens(utf16), (Tokens{"(AB)"}));
}

TEST(PdfLexer, UnterminatedStringsAreParseErrors) {
    EXPECT_THROW(tokens("(abc"), PdfParseException);
    EXPECT_THROW(tokens("<abc"), PdfParseException);
    EXPECT_THROW(tokens(std::string("(\xFE\xFF\x00", 4)), PdfParseException);
    EXPECT_THROW(tokens("(abc\\"), PdfParseException);
}

TEST(PdfLexer, ExpectToken) {
    CBRawPdf raw;
    raw.Open(std::string_view("obj endobj"));
    EXPECT_NO_THROW(raw.ExpectToken("obj"));
    EXPECT_THROW(raw.ExpectToken("stream"), PdfParseException);
}

TEST(PdfLexer, Lines) {
    CBRawPdf raw;
    raw.Open(std::string_view("a\r\nb\rc\nd"));
    std::string line;
    EXPECT_TRUE(raw.ReadLine(line));
    EXPECT_EQ(line, "a");
    EXPECT_TRUE(raw.ReadLine(line));
    EXPECT_EQ(line, "b");
    EXPECT_TRUE(raw.ReadLine(line));
    EXPECT_EQ(line, "c");
    EXPECT_FALSE(raw.ReadLine(line));
    EXPECT_EQ(line, "d");
    EXPECT_FALSE(raw.ReadLine(line));
    EXPECT_EQ(line, "");
}

TEST(PdfLexer, ExpectLineTrims) {
    CBRawPdf raw;
    raw.Open(std::string_view("  xref \t\r\nnope\r\n"));
    EXPECT_NO_THROW(raw.ExpectLine("xref"));
    EXPECT_THROW(raw.ExpectLine("xref"), PdfParseException);
}

TEST(PdfLexer, LinesBackward) {
    CBRawPdf raw;
    raw.Open(std::string_view("%PDF\r\nstartxref\r\n1234\r\n%%EOF\r\n"));
    raw.SeekToLast();
    std::string line;
    raw.ReadLineBackward(line);
    EXPECT_EQ(line, "%%EOF");
    raw.ReadLineBackward(line);
    EXPECT_EQ(line, "1234");
    EXPECT_NO_THROW(raw.ExpectLineBackward("startxref"));
    // Stops at the start of the buffer without reading before it.
    raw.ReadLineBackward(line);
    raw.ReadLineBackward(line);
    raw.ReadLineBackward(line);
    EXPECT_EQ(raw.Tell(), 0u);

    CBRawPdf bare;
    bare.Open(std::string_view("\n"));
    bare.SeekToLast();
    bare.ReadLineBackward(line);
    EXPECT_EQ(line, "");
}

TEST(PdfLexer, RawArray) {
    CBRawPdf raw;
    raw.Open(std::string_view(" [<AB><CD>] /Size 3>>"));
    std::string out;
    raw.ReadRawArray(out);
    EXPECT_EQ(out, "<AB><CD>");
    std::string token;
    raw.ReadToken(token, true);
    EXPECT_EQ(token, "/Size");

    // Blanks between the bracket and the dictionary's end, as qpdf writes /ID.
    CBRawPdf spaced;
    spaced.Open(std::string_view("[<AB><CD>] >>"));
    spaced.ReadRawArray(out);
    EXPECT_EQ(out, "<AB><CD>");
    spaced.ReadToken(token, true);
    EXPECT_EQ(token, ">>");

    CBRawPdf none;
    none.Open(std::string_view("  /X"));
    none.ReadRawArray(out);
    EXPECT_EQ(out, "");
    EXPECT_EQ(none.Tell(), 0u);

    CBRawPdf cut;
    cut.Open(std::string_view("[<AB"));
    cut.ReadRawArray(out);
    EXPECT_EQ(out, "<AB");
    EXPECT_EQ(cut.Tell(), 4u);
}

TEST(PdfLexer, Base64LoadsExactlyTheDecodedBytes) {
    CBRawPdf raw;
    raw.OpenBase64("AAECAw==");
    EXPECT_EQ(raw.GetSize(), 4u);
    raw.OpenBase64("JVBE\r\nRi0x");
    EXPECT_EQ(raw.GetBuffer(), "%PDF-1");
}

TEST(PdfLexer, MemoryRanges) {
    CBRawPdf raw;
    raw.Open(std::string_view("abcdef"));
    unsigned char out[3];
    EXPECT_TRUE(raw.GetMem(out, 3, 3));
    EXPECT_EQ(std::string(reinterpret_cast<char*>(out), 3), "def");
    EXPECT_FALSE(raw.GetMem(out, 4, 3));
    EXPECT_FALSE(raw.SetMem(reinterpret_cast<const unsigned char*>("xyz"), 4, 3));
    EXPECT_EQ(raw.GetBuffer(), "abcdef");
    EXPECT_TRUE(raw.SetMem(reinterpret_cast<const unsigned char*>("xyz"), 3, 3));
    EXPECT_EQ(raw.GetBuffer(), "abcxyz");
}

#include "component/pdf/PdfBase64.h"
#include "component/pdf/PdfText.h"
#include "stream/Base64.h"

TEST(PdfCodecs, DecodingGoesByGroupsOfFour) {
    EXPECT_EQ(PdfBase64::decode("YWJj"), "abc");
    EXPECT_EQ(PdfBase64::decode("YWI="), "ab");
    EXPECT_EQ(PdfBase64::decode("YQ=="), "a");
    EXPECT_EQ(PdfBase64::decode("YW\r\nJj \xE9-"), "abc");
    // Padding ends its group only; a group with "=" where data must stand gives nothing.
    EXPECT_EQ(PdfBase64::decode("YQ==YWJj"), "aabc");
    EXPECT_EQ(PdfBase64::decode("=QUJYWJj"), "abc");
    EXPECT_EQ(PdfBase64::decode("Y=JjYWJj"), "abc");
    // A last group left incomplete gives nothing.
    EXPECT_EQ(PdfBase64::decode("YWJjYW"), "abc");
    EXPECT_EQ(PdfBase64::decodeUtf16(u"Y\u00E9WJj"), "abc");
    EXPECT_GE(PdfBase64::decode("YWJj", 100).capacity(), 103u);
}

TEST(PdfCodecs, Utf16DecodingEqualsConversionThenDecoding) {
    std::string data;
    for (int i = 0; i < 150001; ++i) {
        data += static_cast<char>((i * 31) % 256);
    }
    std::string encoded = stream::Base64::encode(data);
    std::u16string text;
    for (size_t i = 0; i < encoded.size(); ++i) {
        text += static_cast<char16_t>(static_cast<unsigned char>(encoded[i]));
        if (i % 76 == 75) {
            text += u"\r\n";
        }
    }
    // Marks and other characters the conversion turns into non-alphabet bytes, some of them
    // on the slice boundaries.
    text.insert(65536, u"\u0301");
    text.insert(65535, u"A\u0301");
    text.insert(131072, u"\u00E9\U0001F600");
    text.insert(131073, u"\u20AC");
    EXPECT_EQ(PdfBase64::decodeUtf16(text), PdfBase64::decode(PdfText::toWindows1252(text)));
    EXPECT_EQ(PdfBase64::decodeUtf16(u"QUJD\u0301RA=="),
              PdfBase64::decode(PdfText::toWindows1252(u"QUJD\u0301RA==")));
}

TEST(PdfLexer, CommentsAreWhiteSpace) {
    CBRawPdf raw;
    raw.Open(std::string_view("<< /Type /Page % 3\n/Parent 1 0 R%x\r\n/Rotate 90 >>"));
    std::string token;
    std::vector<std::string> tokens;
    while (raw.ReadToken(token, true)) {
        tokens.push_back(token);
    }
    EXPECT_EQ(tokens, (std::vector<std::string>{"<<", "/Type", "/Page", "/Parent", "1 0 R",
                                                "/Rotate", "90", ">>"}));
}

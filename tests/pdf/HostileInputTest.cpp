// Odd and hostile documents and values: what a signing engine must never get wrong.
#include "PdfTestSupport.h"

#include "component/pdf/CBPdf.h"
#include "component/pdf/CBPdfDictionary.h"
#include "component/pdf/CPdfSign.h"
#include "component/pdf/PdfParseException.h"
#include "stream/Log.h"
#include "stream/LogLevel.h"

using namespace component::pdf;
using pdftest::makePdf;

namespace {

class PdfHostileInput : public pdftest::PdfTest {
protected:
    CPdfSign engine{[](const std::string&) { return std::string(); }};

    bool sign(int page, const std::string& name = "Firmante", bool add = true) {
        return engine.CreateSignature(page, 100, 100, 300, 160, u"", name, "Helvetica", 10, 0, add);
    }

    bool qpdfAccepts(const std::string& bytes) {
        if (!pdftest::haveTool("qpdf")) {
            return true;
        }
        pdftest::writeFile(path("check.pdf"), bytes);
        std::string out;
        int status = pdftest::run("qpdf --check " + path("check.pdf").string(), out);
        EXPECT_EQ(status, 0) << out;
        return status == 0;
    }
};

// Literal strings as producers write UTF-16BE text: a byte order mark, then two bytes per
// unit, with parentheses escaped only where they would not balance.
const std::string kLang = std::string("(\xFE\xFF\x00"
                                      "e\x00s\x00-\x00"
                                      "E\x00S)",
                                      14);
// "日本語": 65E5 672C 8A9E.
const std::string kJapanese = std::string("(\xFE\xFF\x65\xE5\x67\x2C\x8A\x9E)", 10);
// U+2800 U+2900: high bytes that are parentheses, balanced and left unescaped.
const std::string kParenthesesHigh = std::string("(\xFE\xFF\x28\x00\x29\x00)", 8);
// U+2912 with its unbalanced ")" escaped, then "A".
const std::string kEscapedHigh = std::string("(\xFE\xFF\\\x29\x12\x00"
                                             "A)",
                                             9);

std::string utf16Document() {
    std::map<int, std::string> objects;
    objects[1] = "<< /Type /Catalog /Pages 2 0 R /Lang " + kLang + " >>";
    objects[2] = "<< /Type /Pages /Kids [3 0 R] /Count 1 >>";
    objects[3] = "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Annots [<< /Type "
                 "/Annot /Subtype /Text /Rect [0 0 10 10] /Contents " +
                 kJapanese + " /T " + kParenthesesHigh + " /TU " + kEscapedHigh + " >>] >>";
    return makePdf(objects, "/Root 1 0 R");
}

} // namespace

TEST_F(PdfHostileInput, RewrittenObjectsKeepEveryStringByte) {
    std::string original = utf16Document();
    ASSERT_TRUE(engine.LoadPdfPtr(original));
    ASSERT_TRUE(sign(1)); // rewrites the catalog (new AcroForm) and the page (new widget)
    std::string signed_ = engine.GetPdf();
    ASSERT_EQ(signed_.compare(0, original.size(), original), 0);
    std::string update = signed_.substr(original.size());
    for (const std::string& text : {kLang, kJapanese, kParenthesesHigh, kEscapedHigh}) {
        EXPECT_NE(update.find(text), std::string::npos) << pdftest::toHex(text);
    }
    // The rewritten objects read back: a second signature goes on top of the first.
    ASSERT_TRUE(engine.LoadPdfPtr(signed_));
    EXPECT_EQ(engine.CountSigns(), 1);
    ASSERT_TRUE(sign(1));
    EXPECT_EQ(engine.CountSigns(), 2);
    EXPECT_TRUE(qpdfAccepts(engine.GetPdf()));
}

TEST_F(PdfHostileInput, CommentsInsideRewrittenObjectsDoNotSwallowThem) {
    // pdftocairo writes "<< /Type /Page % 3" and the page's entries on the next lines.
    std::map<int, std::string> objects;
    objects[1] = "<< /Type /Catalog % the catalog\n /Pages 2 0 R >>";
    objects[2] = "<< /Type /Pages /Kids [3 0 R] /Count 1 >>";
    objects[3] = "<< /Type /Page % 1\n   /Parent 2 0 R\n   /MediaBox [ 0 0 500 600 ]%x\n"
                 "   /Rotate 90\n>>";
    const std::string original = makePdf(objects, "/Root 1 0 R");
    ASSERT_TRUE(engine.LoadPdfPtr(original));
    EXPECT_EQ(engine.GetRotatePag(1), 90);
    ASSERT_TRUE(sign(1));
    const std::string signed_ = engine.GetPdf();
    const std::string update = signed_.substr(original.size());
    EXPECT_EQ(update.find('%'), update.rfind("%%EOF")) << update;
    ASSERT_TRUE(engine.LoadPdfPtr(signed_));
    EXPECT_EQ(engine.GetRotatePag(1), 90);
    CBPdfDictionary* page = engine.GetObjPag(1);
    ASSERT_NE(page, nullptr);
    ASSERT_NE(page->Lookup("/MediaBox"), nullptr);
    EXPECT_EQ(page->Lookup("/MediaBox")->ToString(), "[0 0 500 600]");
    EXPECT_TRUE(qpdfAccepts(engine.GetPdf()));
}

TEST_F(PdfHostileInput, Utf16TokensKeepTheirLowBytes) {
    CBRawPdf raw;
    raw.Open(std::string_view(kLang + " " + kEscapedHigh + " (\xFE\xFF)"));
    std::string token;
    ASSERT_TRUE(raw.ReadToken(token, true));
    EXPECT_EQ(token, "(es-ES)");
    ASSERT_TRUE(raw.ReadToken(token, true));
    EXPECT_EQ(token, std::string("(\x12"
                                 "A)"));
    ASSERT_TRUE(raw.ReadToken(token, true));
    EXPECT_EQ(token, "()");
    EXPECT_FALSE(raw.ReadToken(token, true));
}

TEST_F(PdfHostileInput, FailedCreateSignLeavesTheDocumentAsItWas) {
    // Page 2 cannot be read (a key twice): the failure comes after the AcroForm was changed
    // in memory.
    std::map<int, std::string> objects;
    objects[1] = "<< /Type /Catalog /Pages 2 0 R >>";
    objects[2] = "<< /Type /Pages /Kids [3 0 R 4 0 R] /Count 2 >>";
    objects[3] = "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] >>";
    objects[4] = "<< /Type /Page /Parent 2 0 R /Rotate 0 /Rotate 90 >>";
    std::string original = makePdf(objects, "/Root 1 0 R");
    ASSERT_TRUE(engine.LoadPdfPtr(original));
    EXPECT_THROW(sign(2), PdfParseException);
    EXPECT_EQ(engine.GetPdf(), original);
    EXPECT_EQ(engine.CountSigns(), 0);
    ASSERT_TRUE(sign(1));
    EXPECT_EQ(engine.CountSigns(), 1);
    // The one new field is the only one: nothing of the failed call was kept.
    std::string update = engine.GetPdf().substr(original.size());
    EXPECT_NE(update.find("/Fields [5 0 R]"), std::string::npos) << update;

    // A name the engine takes as already escaped, with an unbalanced "(": the update is
    // built, and the updated document does not read back.
    const std::string once = engine.GetPdf();
    EXPECT_THROW(sign(1, "a(b"), PdfParseException);
    EXPECT_EQ(engine.GetPdf(), once);
    EXPECT_EQ(engine.CountSigns(), 1);
    EXPECT_EQ(engine.GetPlaceholderLength(), 9472);
    EXPECT_EQ(engine.InsertSign("ABCD"), CPdfSign::InsertResult::Written);
}

TEST_F(PdfHostileInput, SignerNamesThatLookLikeUtf16) {
    // "þÿ" in Windows-1252 is the UTF-16 byte order mark; with an odd number of bytes after
    // it the name once broke the updated document.
    std::string original = pdftest::makeSimplePdf();
    ASSERT_TRUE(engine.LoadPdfPtr(original));
    ASSERT_TRUE(sign(1, "\xFE\xFF"
                        "Ana"));
    EXPECT_EQ(engine.GetPdf().compare(0, original.size(), original), 0);
    EXPECT_EQ(engine.CountSigns(), 1);
    EXPECT_TRUE(qpdfAccepts(engine.GetPdf()));
}

TEST_F(PdfHostileInput, RefusedOpenGivesTheBytesBack) {
    CBPdf reader;
    std::string notPdf = "not a PDF at all";
    EXPECT_FALSE(reader.Open(std::move(notPdf)));
    EXPECT_EQ(notPdf, "not a PDF at all");
    std::string broken = "%PDF-1.4\r\nstartxref\r\n99999\r\n%%EOF\r\n";
    std::string copy = broken;
    EXPECT_THROW(reader.Open(std::move(broken)), PdfParseException);
    EXPECT_EQ(broken, copy);
}

TEST_F(PdfHostileInput, InsertSignWritesOnlyWholeHexadecimalBytes) {
    ASSERT_TRUE(engine.LoadPdfPtr(pdftest::makeSimplePdf()));
    ASSERT_TRUE(sign(1));
    const std::string before = engine.GetPdf();
    for (const std::string& value :
         {std::string("00> /Evil (pwn) /Contents <00"), std::string("AB\r\nCD"),
          std::string("AB\xC3\xA9"), std::string("ABC"), std::string("AB CD"),
          std::string("AB\0CD", 5)}) {
        EXPECT_EQ(engine.InsertSign(value), CPdfSign::InsertResult::Refused) << value;
        EXPECT_EQ(engine.GetPdf(), before);
    }
    EXPECT_EQ(engine.InsertSign("00aaBBff"), CPdfSign::InsertResult::Written);
    EXPECT_NE(engine.GetPdf().find("/Contents <00aaBBff0000"), std::string::npos);
}

TEST_F(PdfHostileInput, AnObjectNamedManyTimesIsParsedOnce) {
    std::string logFile = path("QuillionCOM.log").string();
    stream::Log::instance().open(logFile, "pdf_tests", stream::LOG_ALL);
    std::map<int, std::string> objects;
    std::string fields;
    for (int i = 0; i < 200; ++i) {
        fields += " 5 0 R";
    }
    std::string annots;
    for (int i = 0; i < 50; ++i) {
        annots += " 6 0 R";
    }
    objects[1] = "<< /Type /Catalog /Pages 2 0 R /AcroForm << /Fields [" + fields + "] >> >>";
    objects[2] = "<< /Type /Pages /Kids [3 0 R] /Count 1 >>";
    objects[3] = "<< /Type /Page /Parent 2 0 R /Annots [" + annots + "] >>";
    objects[5] = "<< /FT /Sig /T (Uno) /V 7 0 R >>";
    objects[6] = "<< /Type /Annot /Subtype /Widget /Rect [0 0 1 1] >>";
    objects[7] = "<< /Type /Sig /Contents <00> /ByteRange [0 1 2 3] >>";
    ASSERT_TRUE(engine.LoadPdfPtr(makePdf(objects, "/Root 1 0 R")));
    EXPECT_EQ(engine.CountSigns(), 1); // one field, however often it is named
    EXPECT_EQ(engine.GetRotatePag(1), 0);
    ASSERT_TRUE(sign(1));
    stream::Log::instance().close();
    std::string log = pdftest::readFile(logFile);
    auto count = [&](const std::string& line) {
        size_t n = 0;
        for (size_t at = log.find(line); at != std::string::npos; at = log.find(line, at + 1)) {
            ++n;
        }
        return n;
    };
    // Loaded twice (the original, then the updated document): each object once per load.
    EXPECT_EQ(count("Ir a la referencia 5 0 R\r\n"), 2u);
    EXPECT_EQ(count("Ir a la referencia 7 0 R\r\n"), 2u);
}

TEST_F(PdfHostileInput, BlankLinesAfterTheEndOfTheDocument) {
    std::string original = pdftest::makeSimplePdf() + "\r\n\r\n \t\n\n";
    ASSERT_TRUE(engine.LoadPdfPtr(original));
    EXPECT_EQ(engine.GetMaxPag(), 1);
    ASSERT_TRUE(sign(1));
    EXPECT_EQ(engine.GetPdf().compare(0, original.size(), original), 0);
    EXPECT_TRUE(qpdfAccepts(engine.GetPdf()));
    EXPECT_FALSE(engine.LoadPdfPtr(std::string(" \r\n")));
}

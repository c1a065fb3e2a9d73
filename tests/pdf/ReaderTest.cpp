#include "PdfTestSupport.h"

#include "component/pdf/CBPdf.h"
#include "component/pdf/CBPdfDictionary.h"
#include "component/pdf/CBPdfStream.h"
#include "component/pdf/PdfEncryptedException.h"
#include "component/pdf/PdfParseException.h"

using namespace component::pdf;
using pdftest::makePdf;

namespace {

class PdfReader : public pdftest::PdfTest {};

std::string objectText(CBPdf& pdf, const char* reference) {
    if (!pdf.GotoReference(reference)) {
        return "<missing>";
    }
    return pdf.GetObject(nullptr)->ToString();
}

} // namespace

TEST_F(PdfReader, RefusesWrongHeader) {
    CBPdf pdf;
    std::string bytes = pdftest::makeSimplePdf();
    bytes[1] = 'X';
    EXPECT_FALSE(pdf.Open(std::string_view(bytes)));
    EXPECT_FALSE(pdf.IsOpen());
    EXPECT_FALSE(pdf.Open(std::string_view("")));
}

TEST_F(PdfReader, ReadsObjectsByReference) {
    CBPdf pdf;
    ASSERT_TRUE(pdf.Open(std::string_view(pdftest::makeSimplePdf(2))));
    EXPECT_EQ(pdf.GetHeaderLine(), "%PDF-1.4");
    EXPECT_EQ(pdf.GetMaxObjectNumber(), 5);
    EXPECT_EQ(objectText(pdf, "1 0 R"), "<</Type /Catalog/Pages 2 0 R>>\r\n");
    EXPECT_FALSE(pdf.GotoReference("9 0 R"));
}

TEST_F(PdfReader, StreamsAreDictionariesOnly) {
    CBPdf pdf;
    ASSERT_TRUE(pdf.Open(std::string_view(pdftest::makeSimplePdf())));
    ASSERT_TRUE(pdf.GotoReference("3 0 R"));
    std::unique_ptr<CBPdfObject> stream = pdf.GetObject(nullptr);
    ASSERT_EQ(stream->GetTypeName(), "Stream");
    EXPECT_EQ(static_cast<CBPdfStream*>(stream.get())->GetDataLength(), 0u);
    std::string token;
    pdf.Raw().ReadToken(token, true);
    EXPECT_EQ(token, "endobj");
}

TEST_F(PdfReader, IncrementalUpdatesTakeNewestOffsets) {
    std::string base = pdftest::makeSimplePdf();
    std::string once = pdftest::appendUpdate(base, {{1, "<< /Type /Catalog /Pages 2 0 R /V 1 >>"}},
                                             "/Size 5 /Root 1 0 R");
    std::string twice = pdftest::appendUpdate(
        once, {{1, "<< /Type /Catalog /Pages 2 0 R /V 2 >>"}, {6, "(new)"}}, "/Size 7 /Root 1 0 R");
    CBPdf pdf;
    ASSERT_TRUE(pdf.Open(std::string_view(twice)));
    EXPECT_EQ(objectText(pdf, "1 0 R"), "<</Type /Catalog/Pages 2 0 R/V 2>>\r\n");
    EXPECT_EQ(objectText(pdf, "6 0 R"), "(new)");
    EXPECT_EQ(pdf.GetMaxObjectNumber(), 6);
    EXPECT_EQ(pdf.GetTrailerPosition(), twice.rfind("trailer") + 9);
}

TEST_F(PdfReader, EmptyLinesInsideSectionsAndFreeEntries) {
    std::string bytes = makePdf({{1, "<< /Type /Catalog >>"}, {3, "(x)"}}, "/Root 1 0 R");
    size_t entries = bytes.find("0000000000 65535 f\r\n");
    bytes.insert(entries, "\r\n");
    CBPdf pdf;
    ASSERT_TRUE(pdf.Open(std::string_view(bytes)));
    EXPECT_EQ(objectText(pdf, "3 0 R"), "(x)");
    EXPECT_FALSE(pdf.GotoReference("2 0 R")); // listed as free
}

TEST_F(PdfReader, TrailerOnTheSameLineAsItsDictionary) {
    std::string bytes = makePdf({{1, "<< /Type /Catalog >>"}}, "/Root 1 0 R");
    size_t at = bytes.find("trailer\r\n");
    bytes.replace(at, 9, "trailer ");
    std::string extra = "  ";
    CBPdf pdf;
    ASSERT_TRUE(pdf.Open(std::string_view(bytes)));
    pdf.StartTrailer();
    EXPECT_EQ(pdf.GetObject(nullptr)->GetTypeName(), "Dictionary");
}

TEST_F(PdfReader, EncryptedDocumentsAreRefused) {
    std::string bytes = makePdf({{1, "<< /Type /Catalog >>"}, {2, "<< /Filter /Standard >>"}},
                                "/Root 1 0 R /Encrypt 2 0 R");
    CBPdf pdf;
    try {
        pdf.Open(std::string_view(bytes));
        FAIL() << "no error";
    } catch (const std::exception& e) {
        EXPECT_STREQ(e.what(), "PDF_ENCRYPTED");
    }
    EXPECT_FALSE(pdf.IsOpen());
}

TEST_F(PdfReader, EndOfFileLines) {
    std::string bytes = pdftest::makeSimplePdf();
    CBPdf pdf;
    std::string bare = bytes.substr(0, bytes.size() - 2); // no terminator after %%EOF
    EXPECT_TRUE(pdf.Open(std::string_view(bare)));
    std::string blank = bytes + "\r\n"; // blank lines after %%EOF, as viewers accept them
    EXPECT_TRUE(pdf.Open(std::string_view(blank)));
    std::string noEof = bytes.substr(0, bytes.rfind("startxref"));
    EXPECT_THROW(pdf.Open(std::string_view(noEof)), PdfParseException);
    EXPECT_FALSE(pdf.IsOpen());
}

TEST_F(PdfReader, TruncatedOrLoopingInputIsUnreadable) {
    std::string good = pdftest::makeSimplePdf();
    size_t xref = std::stoul(good.substr(good.rfind("startxref") + 11));
    auto opens = [](const std::string& bytes) {
        CBPdf pdf;
        try {
            pdf.Open(std::string_view(bytes));
            pdf.GotoReference("1 0 R") && pdf.GetObject(nullptr);
            pdf.GotoReference("2 0 R") && pdf.GetObject(nullptr);
            pdf.GotoReference("3 0 R") && pdf.GetObject(nullptr);
            return true;
        } catch (const PdfParseException&) {
            return false;
        }
    };
    ASSERT_TRUE(opens(good));
    auto tail = [&](const std::string& section) {
        return good.substr(0, xref) + section + "startxref\r\n" + std::to_string(xref) +
               "\r\n%%EOF\r\n";
    };
    // No "trailer" line.
    EXPECT_FALSE(opens(tail("xref\r\n0 1\r\n0000000000 65535 f\r\n")));
    // Trailer dictionary cut short.
    EXPECT_FALSE(opens(tail("xref\r\n0 1\r\n0000000000 65535 f\r\ntrailer\r\n<< /Root 1 0 R\r\n")));
    EXPECT_FALSE(opens(tail("xref\r\n0 1\r\n0000000000 65535 f\r\ntrailer\r\n<< /ID [<AB> ")));
    EXPECT_FALSE(opens(tail("xref\r\n0 1\r\n0000000000 65535 f\r\ntrailer\r\n<< /K [1 2 ")));
    // More entries announced than present.
    EXPECT_FALSE(opens(tail("xref\r\n0 900\r\n0000000000 65535 f\r\n")));
    // /Prev loops back to the same section.
    EXPECT_FALSE(opens(tail("xref\r\n0 1\r\n0000000000 65535 f\r\ntrailer\r\n<< /Prev " +
                            std::to_string(xref) + " >>\r\n")));
    // startxref outside the file.
    std::string outside =
        good.substr(0, good.rfind("startxref")) + "startxref\r\n99999999\r\n%%EOF\r\n";
    EXPECT_FALSE(opens(outside));
    // A stream without /Length, and one whose /Length passes the end.
    std::string noLength = good;
    noLength.replace(noLength.find("/Length"), 7, "/Lxngth");
    EXPECT_FALSE(opens(noLength));
    std::string longLength = good;
    size_t l = longLength.find("/Length ") + 8;
    longLength.replace(l, 2, "9999999");
    EXPECT_FALSE(opens(longLength));
    // Every prefix of the document is either refused or read without leaving the buffer.
    for (size_t cut = 0; cut < good.size(); cut += 7) {
        opens(good.substr(0, cut));
    }
}

TEST_F(PdfReader, DeepNestingIsRefused) {
    std::string deep(100000, '[');
    std::string bytes = makePdf({{1, "<< /Type /Catalog /Deep " + deep + " >>"}}, "/Root 1 0 R");
    CBPdf pdf;
    ASSERT_TRUE(pdf.Open(std::string_view(bytes)));
    ASSERT_TRUE(pdf.GotoReference("1 0 R"));
    EXPECT_THROW(pdf.GetObject(nullptr), PdfParseException);
}

TEST_F(PdfReader, Base64Open) {
    CBPdf pdf;
    EXPECT_FALSE(pdf.OpenBase64("QUJDRA=="));
    std::string bytes = pdftest::makeSimplePdf();
    // Base64 with line breaks loads exactly the document.
    std::string b64;
    {
        static const char* a = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
        size_t i = 0;
        for (; i + 3 <= bytes.size(); i += 3) {
            unsigned v = (unsigned char)bytes[i] << 16 | (unsigned char)bytes[i + 1] << 8 |
                         (unsigned char)bytes[i + 2];
            b64 += a[v >> 18];
            b64 += a[(v >> 12) & 63];
            b64 += a[(v >> 6) & 63];
            b64 += a[v & 63];
            if (i % 57 == 54) {
                b64 += "\r\n";
            }
        }
        ASSERT_EQ(i, bytes.size() - bytes.size() % 3);
        std::string rest = bytes.substr(i);
        if (rest.size() == 1) {
            unsigned v = (unsigned char)rest[0] << 16;
            b64 += std::string{a[v >> 18], a[(v >> 12) & 63], '=', '='};
        } else if (rest.size() == 2) {
            unsigned v = (unsigned char)rest[0] << 16 | (unsigned char)rest[1] << 8;
            b64 += std::string{a[v >> 18], a[(v >> 12) & 63], a[(v >> 6) & 63], '='};
        }
    }
    ASSERT_TRUE(pdf.OpenBase64(b64));
    EXPECT_EQ(pdf.GetPdf(), bytes);
}

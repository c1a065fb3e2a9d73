// Documents as PDF 1.5 and later writers make them: cross-reference streams, objects stored in
// object streams, hybrid files, and chains that mix sections of both kinds; reading them,
// signing them, and refusing them when they are broken.
#include "PdfTestSupport.h"

#include "component/pdf/CBPdf.h"
#include "component/pdf/CBPdfDictionary.h"
#include "component/pdf/CBPdfValue.h"
#include "component/pdf/CPdfSign.h"
#include "component/pdf/PdfEncryptedException.h"
#include "component/pdf/PdfParseException.h"

#include <cstdio>

using namespace component::pdf;
using pdftest::ModernLayout;

namespace {

const std::string kContent = "BT /F1 12 Tf 72 712 Td (Hola) Tj ET";

// Catalog 1, page tree 2, content 3 and pages 4, 5, 6; 7 and 8 are left to the object stream
// and the cross-reference stream.
std::map<int, std::string> threePages(const std::string& secondPageExtra = "") {
    std::map<int, std::string> objects;
    objects[1] = "<< /Type /Catalog /Pages 2 0 R >>";
    objects[2] = "<< /Type /Pages /Kids [4 0 R 5 0 R 6 0 R] /Count 3 >>";
    objects[3] = "<< /Length " + std::to_string(kContent.size()) + " >>\r\nstream\r\n" + kContent +
                 "\r\nendstream";
    for (int n = 4; n <= 6; ++n) {
        objects[n] = "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Contents 3 0 R" +
                     std::string(n == 5 ? secondPageExtra : "") + " >>";
    }
    return objects;
}

ModernLayout packedLayout() {
    ModernLayout layout;
    layout.packed = {1, 2, 4, 5, 6};
    return layout;
}

const std::string kTrailer = "/Root 1 0 R /ID [<00112233445566778899AABBCCDDEEFF> "
                             "<00112233445566778899AABBCCDDEEFF>]";

std::string modern(const ModernLayout& layout = packedLayout()) {
    return pdftest::makeModernPdf(threePages(), kTrailer, layout);
}

long lastStartxref(const std::string& pdf) {
    return std::stol(pdf.substr(pdf.rfind("startxref") + 10));
}

void replaceOnce(std::string& text, const std::string& from, const std::string& to) {
    size_t at = text.rfind(from);
    ASSERT_NE(at, std::string::npos) << from;
    text.replace(at, from.size(), to);
}

std::string padded(size_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "%010zu", value);
    return text;
}

class PdfXrefStreams : public pdftest::PdfTest {
protected:
    CPdfSign engine{[](const std::string& name) {
        return name == "PDF_INTERNAL_PKCS7_SIZE" ? std::string("512") : std::string();
    }};

    bool sign(int page, bool add = true) {
        return engine.CreateSignature(page, 100, 100, 300, 160, u"", "Firmante", "Helvetica", 10, 0,
                                      add);
    }
};

} // namespace

TEST_F(PdfXrefStreams, ReadsPackedCatalogAndPagesInEveryLayout) {
    for (int variant = 0; variant < 4; ++variant) {
        SCOPED_TRACE(variant);
        ModernLayout layout = packedLayout();
        layout.compress = variant != 1;
        layout.predictor = variant != 2;
        layout.hybrid = variant == 3;
        ASSERT_TRUE(engine.LoadPdfPtr(modern(layout)));
        EXPECT_EQ(engine.Reader().NewestSectionIsStream(), !layout.hybrid);
        EXPECT_TRUE(engine.Reader().IsCompressed(1));
        EXPECT_FALSE(engine.Reader().IsCompressed(3));
        EXPECT_EQ(engine.GetMaxPag(), 3);
        CBPdfDictionary* page = engine.GetObjPag(2);
        ASSERT_NE(page, nullptr);
        EXPECT_EQ(page->GetObjectNumber(), 5);
        EXPECT_EQ(engine.Reader().GetMaxObjectNumber(), 8);
    }
}

TEST_F(PdfXrefStreams, TheTableOfAHybridFileWinsOverItsStream) {
    ModernLayout layout = packedLayout();
    layout.hybrid = true;
    layout.tableVersions[5] = threePages(" /Rotate 90")[5];
    ASSERT_TRUE(engine.LoadPdfPtr(modern(layout)));
    EXPECT_EQ(engine.GetRotatePag(2), 90);
    EXPECT_FALSE(engine.Reader().IsCompressed(5));
    EXPECT_TRUE(engine.Reader().IsCompressed(4));
}

TEST_F(PdfXrefStreams, ChainsMixStreamsAndTablesInAnyOrder) {
    std::string pdf = modern();
    pdf = pdftest::appendUpdate(pdf, {{5, threePages(" /Rotate 90")[5]}}, "/Root 1 0 R /Size 9");
    ASSERT_TRUE(engine.LoadPdfPtr(pdf));
    EXPECT_FALSE(engine.Reader().NewestSectionIsStream());
    EXPECT_EQ(engine.GetRotatePag(2), 90);
    EXPECT_EQ(engine.GetRotatePag(3), 0);

    pdf = pdftest::appendStreamUpdate(pdf, {{6, threePages(" /Rotate 180")[5]}}, "/Root 1 0 R", 9);
    ASSERT_TRUE(engine.LoadPdfPtr(pdf));
    EXPECT_TRUE(engine.Reader().NewestSectionIsStream());
    EXPECT_EQ(engine.GetRotatePag(2), 90);
    EXPECT_EQ(engine.GetRotatePag(3), 180);
    EXPECT_EQ(engine.GetRotatePag(1), 0);

    std::string classic = pdftest::makeSimplePdf(2);
    classic = pdftest::appendStreamUpdate(
        classic,
        {{4,
          "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Contents 3 0 R /Rotate 270 >>"}},
        "/Root 1 0 R", 6);
    ASSERT_TRUE(engine.LoadPdfPtr(classic));
    EXPECT_EQ(engine.GetMaxPag(), 2);
    EXPECT_EQ(engine.GetRotatePag(1), 270);
}

TEST_F(PdfXrefStreams, AnUpdateAfterAStreamEndsWithAStreamOfItsOwn) {
    const std::string original = modern();
    ASSERT_TRUE(engine.LoadPdfPtr(original));
    ASSERT_TRUE(sign(2));
    const std::string updated = engine.GetPdf();
    ASSERT_EQ(updated.compare(0, original.size(), original), 0);
    const std::string appended = updated.substr(original.size() - 1);
    // The catalog (which takes the new AcroForm) and the page leave the object stream as plain
    // objects; nothing else is rewritten.
    EXPECT_NE(appended.find("\n1 0 obj\r\n"), std::string::npos);
    EXPECT_NE(appended.find("\n5 0 obj\r\n"), std::string::npos);
    EXPECT_EQ(appended.find("\n2 0 obj\r\n"), std::string::npos);
    EXPECT_EQ(appended.find("\n4 0 obj\r\n"), std::string::npos);
    EXPECT_EQ(appended.find("\r\nxref\r\n"), std::string::npos);
    EXPECT_EQ(appended.find("trailer"), std::string::npos);

    // The section is a stream object, new numbers start after the previous /Size (9), and the
    // stream lists itself, carries /Root and /ID and links to the previous section.
    const long section = lastStartxref(updated);
    EXPECT_EQ(updated.compare(section, 9, "13 0 obj\r"), 0) << updated.substr(section, 40);
    const std::string dictionary =
        updated.substr(section, updated.find("stream", section) - section);
    EXPECT_NE(dictionary.find("/Type /XRef"), std::string::npos) << dictionary;
    EXPECT_NE(dictionary.find("/Size 14"), std::string::npos) << dictionary;
    EXPECT_NE(dictionary.find("/Root 1 0 R"), std::string::npos) << dictionary;
    EXPECT_NE(dictionary.find("/ID [<00112233445566778899AABBCCDDEEFF> "), std::string::npos)
        << dictionary;
    EXPECT_NE(dictionary.find("/Prev " + std::to_string(lastStartxref(original))),
              std::string::npos)
        << dictionary;
    EXPECT_NE(dictionary.find("/Index [1 1 5 1 9 5]"), std::string::npos) << dictionary;

    // The byte range covers everything but the placeholder, up to the end of the file.
    auto ranges = engine.GetSignedRanges(0);
    ASSERT_TRUE(ranges.has_value());
    ASSERT_EQ(ranges->size(), 2u);
    const std::string& document = engine.GetPdf();
    EXPECT_EQ((*ranges)[0].data(), document.data());
    EXPECT_EQ((*ranges)[1].data() + (*ranges)[1].size(), document.data() + document.size());
    EXPECT_EQ((*ranges)[0].size() + (*ranges)[1].size() + 512 + 2, document.size());

    // The updated document reads back through its new section alone.
    CPdfSign again{[](const std::string&) { return std::string(); }};
    ASSERT_TRUE(again.LoadPdfPtr(updated));
    EXPECT_TRUE(again.Reader().NewestSectionIsStream());
    EXPECT_FALSE(again.Reader().IsCompressed(1));
    EXPECT_TRUE(again.Reader().IsCompressed(2));
    EXPECT_EQ(again.CountSigns(), 1);
    EXPECT_EQ(again.GetMaxPag(), 3);
    EXPECT_EQ(again.GetFieldName(0), engine.GetFieldName(0));
}

TEST_F(PdfXrefStreams, ASecondSignatureKeepsTheFirstOneAndItsBytes) {
    ASSERT_TRUE(engine.LoadPdfPtr(modern()));
    ASSERT_TRUE(sign(1));
    ASSERT_EQ(engine.InsertSign(std::string(64, 'A')), CPdfSign::InsertResult::Written);
    const std::string first = engine.GetPdf();
    ASSERT_TRUE(sign(3));
    EXPECT_EQ(engine.GetPdf().compare(0, first.size(), first), 0);
    EXPECT_EQ(engine.CountSigns(), 2);
    auto ranges = engine.GetSignedRanges(0);
    ASSERT_TRUE(ranges.has_value());
    EXPECT_EQ((*ranges)[1].data() + (*ranges)[1].size(), engine.GetPdf().data() + first.size());
    EXPECT_NE(engine.GetContents(0)->GetText().find(std::string(64, 'A')), std::string::npos);
}

TEST_F(PdfXrefStreams, AnUpdateAfterAHybridSectionIsATableWithoutXRefStm) {
    ModernLayout layout = packedLayout();
    layout.hybrid = true;
    const std::string original = modern(layout);
    ASSERT_TRUE(engine.LoadPdfPtr(original));
    ASSERT_TRUE(sign(3));
    const std::string appended = engine.GetPdf().substr(original.size());
    EXPECT_NE(appended.find("xref\r\n"), std::string::npos);
    EXPECT_NE(appended.find("trailer\r\n"), std::string::npos);
    EXPECT_EQ(appended.find("/XRefStm"), std::string::npos);
    EXPECT_EQ(appended.find("/Type /XRef"), std::string::npos);
    CPdfSign again{[](const std::string&) { return std::string(); }};
    ASSERT_TRUE(again.LoadPdfPtr(engine.GetPdf()));
    EXPECT_EQ(again.CountSigns(), 1);
    EXPECT_TRUE(again.Reader().IsCompressed(2));
}

TEST_F(PdfXrefStreams, EncryptedDocumentsStayRefusedWhateverTheirStructure) {
    const std::string body = kTrailer + " /Encrypt << /Filter /Standard /V 1 >>";
    ModernLayout layout = packedLayout();
    EXPECT_THROW(engine.LoadPdfPtr(pdftest::makeModernPdf(threePages(), body, layout)),
                 PdfEncryptedException);
    layout.hybrid = true;
    EXPECT_THROW(engine.LoadPdfPtr(pdftest::makeModernPdf(threePages(), body, layout)),
                 PdfEncryptedException);
    EXPECT_FALSE(engine.IsLoaded());
}

TEST_F(PdfXrefStreams, LoopsThroughPrevAndXRefStmAreCut) {
    // A stream whose /Prev names itself.
    std::string selfPrev =
        pdftest::makeModernPdf(threePages(), kTrailer + " /Prev 0000000000", packedLayout());
    replaceOnce(selfPrev, "/Prev 0000000000", "/Prev " + padded(lastStartxref(selfPrev)));
    EXPECT_THROW(engine.LoadPdfPtr(selfPrev), PdfParseException);

    // A hybrid trailer whose /XRefStm names its own table, or an object that is not a
    // cross-reference stream.
    ModernLayout layout = packedLayout();
    layout.hybrid = true;
    const std::string hybrid = modern(layout);
    const size_t streamAt = std::stoul(hybrid.substr(hybrid.rfind("/XRefStm ") + 9));
    std::string toTable = hybrid;
    replaceOnce(toTable, "/XRefStm " + std::to_string(streamAt),
                "/XRefStm " + std::to_string(lastStartxref(hybrid)));
    EXPECT_THROW(engine.LoadPdfPtr(toTable), PdfParseException);
    std::string toContent = hybrid;
    replaceOnce(toContent, "/XRefStm " + std::to_string(streamAt),
                "/XRefStm " + std::to_string(hybrid.find("3 0 obj")));
    EXPECT_THROW(engine.LoadPdfPtr(toContent), PdfParseException);
}

TEST_F(PdfXrefStreams, BadWidthsAndRangesAreParseErrors) {
    ModernLayout layout = packedLayout();
    layout.compress = false;
    const std::string good = modern(layout);
    ASSERT_TRUE(engine.LoadPdfPtr(good));
    const std::vector<std::pair<std::string, std::string>> damages = {
        {"/W [1 4 2]", "/W [1 9 2]"},
        {"/W [1 4 2]", "/W [0 0 0]"},
        {"/W [1 4 2]", "/W [1 4]"},
        {"/W [1 4 2]", "/W [1 -4 2]"},
        {"/W [1 4 2]", "/W 7"},
        {"/Index [0 9]", "/Index [0 10]"},
        {"/Index [0 9]", "/Index [0 -9]"},
        {"/Index [0 9]", "/Index [0 4294967296]"},
        {"/Index [0 9]", "/Index [0]"},
        {"/Index [0 9]", "/Index [2147483647 9]"},
        {"/Type /XRef", "/Type /Xref"},
    };
    for (const auto& [from, to] : damages) {
        SCOPED_TRACE(to);
        std::string bad = good;
        replaceOnce(bad, from, to);
        EXPECT_THROW(engine.LoadPdfPtr(bad), PdfParseException);
    }
}

TEST_F(PdfXrefStreams, BadObjectStreamsAreParseErrors) {
    ModernLayout layout = packedLayout();
    layout.compress = false;
    const std::string good = modern(layout);
    const size_t stream = good.find("/Type /ObjStm");
    const size_t data = good.find("stream\r\n", stream) + 8;
    const std::vector<std::pair<std::string, std::string>> damages = {
        {"/N 5", "/N 9"},                   // more pairs than the header holds
        {"/N 5", "/N -1"},                  // a negative count
        {"/First ", "/First 9"},            // /First inside the header
        {"/Type /ObjStm", "/Type /ObjStx"}, // not an object stream
    };
    for (const auto& [from, to] : damages) {
        SCOPED_TRACE(to);
        std::string bad = good;
        replaceOnce(bad, from, to);
        EXPECT_THROW(engine.LoadPdfPtr(bad), PdfParseException);
    }
    // The header names another object at the catalog's index, or puts it past the end.
    std::string renamed = good;
    ASSERT_EQ(renamed.compare(data, 4, "1 0 "), 0);
    renamed[data] = '7';
    EXPECT_THROW(engine.LoadPdfPtr(renamed), PdfParseException);
    std::string outside = good;
    outside.replace(data, 4, "1 9999999 ");
    replaceOnce(outside, "/First ", "/First 6");
    EXPECT_THROW(engine.LoadPdfPtr(outside), PdfParseException);

    // A stream stored inside an object stream.
    std::map<int, std::string> objects = threePages();
    objects[4] = "<< /Type /Page /Parent 2 0 R /Length 2 >>\nstream\nab\nendstream";
    ASSERT_TRUE(engine.LoadPdfPtr(pdftest::makeModernPdf(objects, kTrailer, packedLayout())));
    EXPECT_THROW(engine.GetObjPag(1), PdfParseException);
}

TEST_F(PdfXrefStreams, DecompressionIsBoundedByTheDocumentSize) {
    std::map<int, std::string> objects = threePages();
    // 12 MiB of blanks after the last packed object, in a document of some 13 KiB.
    objects[6] += std::string(12 << 20, ' ');
    const std::string bomb = pdftest::makeModernPdf(objects, kTrailer, packedLayout());
    ASSERT_LT(bomb.size(), 32u * 1024);
    EXPECT_THROW(engine.LoadPdfPtr(bomb), PdfParseException);
}

TEST_F(PdfXrefStreams, InvalidatingLeavesPackedSignaturesAndTheirBytesAlone) {
    // A signature whose dictionary a rewrite packed into the object stream, and one stored
    // plainly: only the plain one has bytes in the file to change.
    std::map<int, std::string> objects = threePages();
    objects[1] = "<< /Type /Catalog /Pages 2 0 R /AcroForm << /Fields [9 0 R 10 0 R] >> >>";
    objects[9] = "<< /FT /Sig /T (Packed) /V 11 0 R >>";
    objects[10] = "<< /FT /Sig /T (Plain) /V 12 0 R >>";
    objects[11] = "<< /Type /Sig /ByteRange [0 10 20 30] /Contents <00> >>";
    objects[12] = "<< /Type /Sig /ByteRange [0 10 20 31] /Contents <00> >>";
    ModernLayout layout = packedLayout();
    layout.packed.insert({9, 10, 11});
    const std::string original = pdftest::makeModernPdf(objects, kTrailer, layout);
    ASSERT_TRUE(engine.LoadPdfPtr(original));
    ASSERT_EQ(engine.CountSigns(), 2);
    EXPECT_TRUE(engine.Reader().IsCompressed(11));
    ASSERT_TRUE(sign(1, false));
    const std::string& updated = engine.GetPdf();
    size_t differing = 0;
    size_t at = 0;
    for (size_t i = 0; i < original.size(); ++i) {
        if (original[i] != updated[i]) {
            ++differing;
            at = i;
        }
    }
    EXPECT_EQ(differing, 1u);
    ASSERT_GE(at, 20u);
    EXPECT_EQ(original.substr(at - 20, 20), "/ByteRange [0 10 20 ");
    EXPECT_EQ(original.substr(at, 3), "31]");
    EXPECT_EQ(engine.CountSigns(), 3);
}

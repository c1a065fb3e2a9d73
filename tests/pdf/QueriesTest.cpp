#include "PdfTestSupport.h"

#include "component/pdf/CBPdfDictionary.h"
#include "component/pdf/CBPdfValue.h"
#include "component/pdf/CPdfSign.h"

using namespace component::pdf;
using pdftest::makePdf;

namespace {

class PdfQueries : public pdftest::PdfTest {};

// Root /Count 10 with two /Pages nodes of 4 and 6 pages; the second node has /Rotate 90, its
// second page its own /Rotate 180; the root has /Rotate 270.
std::string pageTreePdf() {
    std::map<int, std::string> objects;
    objects[1] = "<< /Type /Catalog /Pages 2 0 R >>";
    objects[2] = "<< /Type /Pages /Kids [3 0 R 4 0 R] /Count 10 /Rotate 270 >>";
    std::string kidsA;
    std::string kidsB;
    for (int i = 0; i < 4; ++i) {
        kidsA += std::to_string(10 + i) + " 0 R ";
        objects[10 + i] = "<< /Type /Page /Parent 3 0 R /N " + std::to_string(i + 1) + " >>";
    }
    for (int i = 0; i < 6; ++i) {
        kidsB += std::to_string(20 + i) + " 0 R ";
        objects[20 + i] = "<< /Type /Page /Parent 4 0 R /N " + std::to_string(i + 5) +
                          (i == 1 ? " /Rotate 180" : "") + " >>";
    }
    objects[3] = "<< /Type /Pages /Kids [" + kidsA + "] /Count 4 /Parent 2 0 R >>";
    objects[4] = "<< /Type /Pages /Kids 5 0 R /Count 6 /Parent 2 0 R /Rotate 90 >>";
    objects[5] = "[" + kidsB + "]";
    return makePdf(objects, "/Root 1 0 R");
}

std::string pageNumberOf(CPdfSign& engine, int page) {
    CBPdfDictionary* dictionary = engine.GetObjPag(page);
    if (dictionary == nullptr) {
        return "none";
    }
    return dictionary->Lookup("/N")->ToString();
}

std::string formPdf() {
    std::map<int, std::string> objects;
    objects[1] = "<< /Type /Catalog /Pages 2 0 R /AcroForm << /Fields 6 0 R >> >>";
    objects[2] = "<< /Type /Pages /Kids [3 0 R] /Count 1 >>";
    objects[3] = "<< /Type /Page /Parent 2 0 R >>";
    objects[6] = "[7 0 R 8 0 R 9 0 R 10 0 R 11 0 R]";
    objects[7] = "<< /FT /Tx /T (Text1) /V (hola) >>";
    objects[8] = "<< /FT /Sig /T (Empty) >>";
    objects[9] = "<< /FT /Sig /T 12 0 R /V 13 0 R >>";
    objects[10] =
        "<< /FT /Sig /T (Signature2) /V << /Type /Sig /Contents <ABCD00> /ByteRange [0 10 "
        "20 5] >> >>";
    objects[11] = "<< /FT /Sig /T (Outside) /V << /Contents <00> /ByteRange [0 10 99999 5] >> >>";
    objects[12] = "(Signature1)";
    objects[13] = "<< /Type /Sig /Contents <0102> /ByteRange [0 3 4 2 7] >>";
    return makePdf(objects, "/Root 1 0 R");
}

} // namespace

TEST_F(PdfQueries, PageTreeWalkWithInheritedRotation) {
    CPdfSign engine;
    ASSERT_TRUE(engine.LoadPdfPtr(pageTreePdf()));
    EXPECT_EQ(engine.GetMaxPag(), 10);
    EXPECT_EQ(pageNumberOf(engine, 1), "1");
    EXPECT_EQ(pageNumberOf(engine, 4), "4");
    EXPECT_EQ(pageNumberOf(engine, 5), "5");
    EXPECT_EQ(pageNumberOf(engine, 10), "10");
    EXPECT_EQ(pageNumberOf(engine, 11), "none");
    EXPECT_EQ(pageNumberOf(engine, 0), "none");
    EXPECT_EQ(pageNumberOf(engine, -3), "none");
    EXPECT_EQ(engine.GetObjPag(5)->GetObjectNumber(), 20);
    EXPECT_EQ(engine.GetRotatePag(1), 270);
    EXPECT_EQ(engine.GetRotatePag(5), 90);
    EXPECT_EQ(engine.GetRotatePag(6), 180);
    EXPECT_EQ(engine.GetRotatePag(11), 0);
}

TEST_F(PdfQueries, PageTreeCyclesEnd) {
    std::map<int, std::string> objects;
    objects[1] = "<< /Type /Catalog /Pages 2 0 R >>";
    objects[2] = "<< /Type /Pages /Kids [2 0 R] /Count 3 >>";
    CPdfSign engine;
    ASSERT_TRUE(engine.LoadPdfPtr(makePdf(objects, "/Root 1 0 R")));
    EXPECT_EQ(engine.GetObjPag(1), nullptr);
    objects[2] = "<< /Type /Pages /Kids [3 0 R] /Count 1 >>";
    objects[3] = "4 0 R";
    objects[4] = "3 0 R";
    ASSERT_TRUE(engine.LoadPdfPtr(makePdf(objects, "/Root 1 0 R")));
    EXPECT_EQ(engine.GetObjPag(1), nullptr);
}

TEST_F(PdfQueries, WithoutFormsThereAreNoSignatures) {
    CPdfSign engine;
    ASSERT_TRUE(engine.LoadPdfPtr(pdftest::makeSimplePdf()));
    EXPECT_EQ(engine.CountSigns(), 0);
    EXPECT_EQ(engine.GetContents(0), nullptr);
    EXPECT_EQ(engine.GetFieldName(0), "");
    EXPECT_EQ(engine.GetSizeSignedBytes(0), 0);
    std::map<int, std::string> objects;
    objects[1] = "<< /Type /Catalog /AcroForm << /DA (x) >> >>";
    ASSERT_TRUE(engine.LoadPdfPtr(makePdf(objects, "/Root 1 0 R")));
    EXPECT_EQ(engine.CountSigns(), 0);
    EXPECT_EQ(engine.GetMaxPag(), 0);
}

TEST_F(PdfQueries, SignatureList) {
    CPdfSign engine;
    ASSERT_TRUE(engine.LoadPdfPtr(formPdf()));
    ASSERT_EQ(engine.CountSigns(), 3);
    EXPECT_EQ(engine.GetFieldName(0), "(Signature1)");
    EXPECT_EQ(engine.GetFieldName(1), "(Signature2)");
    EXPECT_EQ(engine.GetFieldName(3), "");
    EXPECT_EQ(engine.GetContents(0)->GetText(), "<0102>");
    EXPECT_EQ(engine.GetContents(1)->GetText(), "<ABCD00>");
    EXPECT_EQ(engine.GetSizeSignedBytes(0), 5);
    std::string document = formPdf();
    EXPECT_EQ(*engine.GetSignedBytes(0), document.substr(0, 3) + document.substr(4, 2));
    EXPECT_EQ(engine.GetSizeSignedBytes(1), 15);
    EXPECT_FALSE(engine.GetSignedBytes(2).has_value()); // a range outside the document
    // Loading another document forgets the signatures.
    ASSERT_TRUE(engine.LoadPdfPtr(pdftest::makeSimplePdf()));
    EXPECT_EQ(engine.CountSigns(), 0);
}

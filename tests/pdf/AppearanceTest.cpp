#include "PdfTestSupport.h"

#include "component/pdf/CBPdfDictionary.h"
#include "component/pdf/CBPdfStream.h"
#include "component/pdf/CPdfSign.h"
#include "component/pdf/PdfBase64.h"
#include "component/pdf/PdfText.h"
#include "platform/picture/CPicture.h"
#include "stream/Base64.h"

#include <clocale>

using namespace component::pdf;

namespace {

std::string entry(CBPdfDictionary* d, const char* key) {
    CBPdfObject* value = d->Lookup(key);
    return value ? value->ToString() : "<absent>";
}

class PdfAppearance : public pdftest::PdfTest {};

} // namespace

TEST_F(PdfAppearance, PictureTypesAndJpegSize) {
    platform::CPicture picture;
    std::string jpeg = pdftest::jpegBytes(640, 480);
    ASSERT_TRUE(picture.Load(reinterpret_cast<const unsigned char*>(jpeg.data()), jpeg.size()));
    EXPECT_EQ(picture.GetType(), 2);
    EXPECT_EQ(picture.GetWidth(), 640);
    EXPECT_EQ(picture.GetHeight(), 480);
    std::string png("\x89PNG\r\n\x1A\n\0\0\0\0", 12);
    EXPECT_TRUE(picture.Load(reinterpret_cast<const unsigned char*>(png.data()), png.size()));
    EXPECT_EQ(picture.GetType(), 3);
    auto type = [](const std::string& bytes) {
        return platform::CPicture::DetectType(reinterpret_cast<const unsigned char*>(bytes.data()),
                                              bytes.size());
    };
    EXPECT_EQ(type("GIF89a.."), 1);
    EXPECT_EQ(type("II*....."), 4);
    EXPECT_EQ(type("BM......"), 5);
    EXPECT_EQ(type("\xFF\xD8\xFF"), 0); // fewer than 8 bytes
    EXPECT_FALSE(picture.Load(reinterpret_cast<const unsigned char*>("hello..."), 8));
    // A truncated JPEG loads without a size and without reading past its end.
    std::string cut = jpeg.substr(0, 26);
    EXPECT_TRUE(picture.Load(reinterpret_cast<const unsigned char*>(cut.data()), cut.size()));
    EXPECT_EQ(picture.GetWidth(), 0);
}

TEST_F(PdfAppearance, AppearanceMatrixAndBox) {
    std::setlocale(LC_NUMERIC, "de_DE.UTF-8"); // decimal comma where installed: must not matter
    CPdfSign engine;
    auto stream = engine.CreateAparence(7, 0, "Juan", 0, 90, 200, 100);
    std::setlocale(LC_NUMERIC, "C");
    CBPdfDictionary* d = stream->GetDictionary();
    EXPECT_EQ(entry(d, "/Matrix"), "[-0.000004 1.000000 -1.000000 -0.000004 0 0]");
    EXPECT_EQ(entry(d, "/BBox"), "[0 0 100 200]");
    std::string text = stream->ToString();
    EXPECT_NE(text.find("BT\r\n/TF1 10 Tf 25 60 Td\r\n(Juan) Tj\r\nET"), std::string::npos);
    EXPECT_EQ(entry(d, "/Resources"),
              "<</ProcSet [/PDF /Text /ImageB /ImageC /ImageI]/Font <</TF1 7 0 R>>\r\n\r\n>>\r\n");
    EXPECT_EQ(stream->GetStringSize(), text.size());

    auto level = engine.CreateAparence(7, 9, "x", 4999, 0, -200, 50);
    d = level->GetDictionary();
    EXPECT_EQ(entry(d, "/Matrix"), "[1.000000 0.000000 -0.000000 1.000000 0 0]");
    EXPECT_EQ(entry(d, "/BBox"), "[0 0 200 50]");
    std::string content = level->ToString();
    EXPECT_NE(content.find("q\r\n200 0 0 50 0 0 cm\r\n/img0 Do\r\nQ\r\n"), std::string::npos);
    EXPECT_NE(content.find("/TF1 4999 Tf"), std::string::npos);
    EXPECT_NE(entry(d, "/Resources").find("/XObject <</img0 9 0 R>>"), std::string::npos);
    for (int size : {5000, -3}) {
        EXPECT_NE(engine.CreateAparence(1, 0, "", size, 0, 1, 1)->ToString().find("/TF1 10 Tf"),
                  std::string::npos);
    }
}

TEST_F(PdfAppearance, Fonts) {
    CPdfSign engine;
    EXPECT_EQ(engine.CreatePdfFont("Times-Bold")->ToString(),
              "<</Type /Font/Subtype /Type1/Encoding /WinAnsiEncoding/BaseFont /Times-Bold>>\r\n");
    for (const char* other : {"Courier-BoldOblique", "", "helvetica"}) {
        EXPECT_EQ(entry(engine.CreatePdfFont(other).get(), "/BaseFont"), "/Helvetica");
    }
}

TEST_F(PdfAppearance, AnnotationAndImage) {
    CPdfSign engine;
    auto annotation = engine.CreateAnnotation(4, 12, 10, 300, 20, 100, 80);
    EXPECT_EQ(annotation->ToString(),
              "<</Type /Annot/Subtype  /Widget/FT  /Sig/Rect [300 20 100 80]/P 4 0 R/T  "
              "(Signature1)/V 12 0 R/F  132/AP <</N 10 0 R>>\r\n\r\n>>\r\n");
    std::string jpeg = pdftest::jpegBytes(64, 32);
    auto image = engine.CreateImg(pdftest::utf16(stream::Base64::encode(jpeg)));
    std::string written;
    image->WriteTo(written);
    EXPECT_EQ(written, "<</Length " + std::to_string(jpeg.size()) +
                           "/Subtype /Image/Width 64/Height 32/BitsPerComponent 8/Type "
                           "/XObject/ColorSpace /DeviceRGB/Filter /DCTDecode>>\r\nstream\r\n" +
                           jpeg + "\r\nendstream\r\n");
    auto none = engine.CreateImg(pdftest::utf16(stream::Base64::encode("\x89PNG\r\n\x1A\n....")));
    EXPECT_EQ(none->ToString(), "<<>>\r\nstream\r\n\r\nendstream\r\n");
}

TEST_F(PdfAppearance, TextConversions) {
    EXPECT_EQ(PdfText::toWindows1252(u"Jos\u00E9 \u20AC \u4E2D"), "Jos\xE9 \x80 ?");
    EXPECT_EQ(PdfText::toWindows1252(u"Jose\u0301"), "Jos\xE9");
    EXPECT_EQ(PdfText::toWindows1252(u"abcdefghe\u0301 12345678\u00F1"),
              "abcdefgh\xE9 12345678\xF1");
    EXPECT_EQ(PdfText::toWindows1252(u"abcdefgh\u0301"), "abcdefgh?"); // h + acute: none
    EXPECT_EQ(PdfBase64::decode("QU\r\nJD RA=="), "ABCD");
    EXPECT_EQ(PdfBase64::decode("QUJDRA==QUJD"), "ABCDABC");
    EXPECT_EQ(PdfText::toWindows1252(u"\U0001F600"), "?");
    EXPECT_EQ(PdfText::escapeLiteral("Juan (Firma) \\"), "Juan \\(Firma\\) \\\\");
}

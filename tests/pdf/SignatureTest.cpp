#include "PdfTestSupport.h"

#include "component/pdf/CBPdfValue.h"
#include "component/pdf/CPdfSign.h"
#include "stream/Base64.h"

using namespace component::pdf;
using pdftest::makePdf;

namespace {

struct ByteRange {
    long a = 0, b = 0, c = 0;
};

ByteRange lastByteRange(const std::string& pdf) {
    size_t at = pdf.rfind("/ByteRange [0 ");
    ByteRange r;
    std::sscanf(pdf.c_str() + at, "/ByteRange [0 %ld %ld %ld]", &r.a, &r.b, &r.c);
    return r;
}

class PdfSignature : public pdftest::PdfTest {
protected:
    std::map<std::string, std::string> settings;
    CPdfSign engine{[this](const std::string& name) {
        auto it = settings.find(name);
        return it == settings.end() ? std::string() : it->second;
    }};

    bool sign(int page, bool add, const std::string& name = "Firmante") {
        return engine.CreateSignature(page, 100, 100, 300, 160, u"", name, "Helvetica", 10, 0, add);
    }

    // Signs the bytes of signature `index` with openssl cms and inserts the value.
    void fillWithOpenssl(int index, const std::string& extra = "") {
        if (!std::filesystem::exists(path("key.pem"))) {
            std::string out;
            ASSERT_EQ(pdftest::run("openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "
                                   "'/CN=Prueba PDF' -keyout " +
                                       path("key.pem").string() + " -out " +
                                       path("cert.pem").string(),
                                   out),
                      0)
                << out;
        }
        auto bytes = engine.GetSignedBytes(index);
        ASSERT_TRUE(bytes.has_value());
        pdftest::writeFile(path("tosign.bin"), *bytes);
        std::string out;
        ASSERT_EQ(pdftest::run("openssl cms -sign -binary -outform DER -nosmimecap " + extra +
                                   " -in " + path("tosign.bin").string() + " -signer " +
                                   path("cert.pem").string() + " -inkey " +
                                   path("key.pem").string() + " -out " + path("sig.der").string(),
                               out),
                  0)
            << out;
        std::string hex = pdftest::toHex(pdftest::readFile(path("sig.der")));
        ASSERT_EQ(engine.InsertSign(hex), CPdfSign::InsertResult::Written);
    }

    std::string save(const std::string& name) {
        pdftest::writeFile(path(name), engine.GetPdf());
        return path(name).string();
    }
};

bool toolsPresent() {
    return pdftest::haveTool("openssl") && pdftest::haveTool("qpdf") && pdftest::haveTool("pdfsig");
}

} // namespace

TEST_F(PdfSignature, UpdateLayoutAndByteRange) {
    std::string original = pdftest::makeSimplePdf(3);
    ASSERT_TRUE(engine.LoadPdfPtr(original));
    ASSERT_TRUE(sign(2, true));
    const std::string& pdf = engine.GetPdf();
    ASSERT_EQ(engine.CountSigns(), 1);
    EXPECT_EQ(pdf.compare(0, original.size(), original), 0);
    // The update starts right after the loaded bytes with the catalog (no AcroForm before).
    EXPECT_EQ(pdf.compare(original.size(), 11, "1 0 obj\r\n<<"), 0);
    EXPECT_NE(pdf.find("/AcroForm <</SigFlags 3/Fields [7 0 R]>>", original.size()),
              std::string::npos);
    EXPECT_NE(pdf.find("5 0 obj\r\n", original.size()), std::string::npos); // page 2
    EXPECT_NE(pdf.find("/Annots [7 0 R]>>", original.size()), std::string::npos);
    EXPECT_NE(pdf.find("xref\r\n1 1\r\n", original.size()), std::string::npos);
    EXPECT_NE(pdf.find("5 1\r\n", original.size()), std::string::npos);
    EXPECT_NE(pdf.find("7 4\r\n", original.size()), std::string::npos);
    EXPECT_NE(pdf.find("/Root 1 0 R/Size 11/Prev " + std::to_string(std::stoul(original.substr(
                                                         original.rfind("startxref") + 11)))),
              std::string::npos);
    ByteRange r = lastByteRange(pdf);
    EXPECT_EQ(r.b, r.a + 9472 + 2);
    EXPECT_EQ(r.b + r.c, static_cast<long>(pdf.size()));
    EXPECT_EQ(pdf[r.a], '<');
    EXPECT_EQ(pdf[r.b - 1], '>');
    EXPECT_EQ(engine.GetPlaceholderOffset(), r.a);
    EXPECT_EQ(engine.GetFieldName(0), "(Signature1)");
    EXPECT_EQ(engine.GetContents(0)->GetText(), "<" + std::string(9472, '0') + ">");
    EXPECT_EQ(engine.GetSizeSignedBytes(0), r.a + r.c);
    // The update reads back through the reader: every object offset is right.
    CPdfSign again;
    ASSERT_TRUE(again.LoadPdfPtr(pdf));
    EXPECT_EQ(again.CountSigns(), 1);
    EXPECT_EQ(again.GetMaxPag(), 3);
}

TEST_F(PdfSignature, SuccessiveSignaturesAndNames) {
    ASSERT_TRUE(engine.LoadPdfPtr(pdftest::makeSimplePdf()));
    ASSERT_TRUE(sign(1, true));
    ASSERT_TRUE(sign(1, true));
    ASSERT_TRUE(sign(1, true));
    ASSERT_EQ(engine.CountSigns(), 3);
    EXPECT_EQ(engine.GetFieldName(2), "(Signature3)");
    ByteRange r = lastByteRange(engine.GetPdf());
    EXPECT_EQ(r.b + r.c, static_cast<long>(engine.GetPdf().size()));
}

TEST_F(PdfSignature, ReservedSizeAndRefusals) {
    settings["PDF_INTERNAL_PKCS7_SIZE"] = "16";
    ASSERT_TRUE(engine.LoadPdfPtr(pdftest::makeSimplePdf()));
    EXPECT_EQ(engine.InsertSign("AB"), CPdfSign::InsertResult::Refused); // nothing created yet
    ASSERT_TRUE(sign(1, true));
    ByteRange r = lastByteRange(engine.GetPdf());
    EXPECT_EQ(r.b, r.a + 18);
    std::string before = engine.GetPdf();
    EXPECT_EQ(engine.InsertSign(std::string(17, 'A')), CPdfSign::InsertResult::Refused);
    EXPECT_EQ(engine.GetPdf(), before);
    settings["PDF_INTERNAL_PKCS7_SIZE"] = "64";
    EXPECT_EQ(engine.InsertSign(std::string(17, 'A')), CPdfSign::InsertResult::Refused);
    settings["PDF_INTERNAL_PKCS7_SIZE"] = "16";
    EXPECT_EQ(engine.InsertSign("ABCD"), CPdfSign::InsertResult::Written);
    EXPECT_EQ(engine.GetPdf().substr(r.a, 18), "<ABCD000000000000>");

    settings["PDF_INTERNAL_PKCS7_SIZE"] = "0";
    ASSERT_TRUE(sign(1, true));
    EXPECT_EQ(engine.GetContents(1)->GetText(), "<>");

    CPdfSign empty;
    EXPECT_EQ(empty.InsertSign("AB"), CPdfSign::InsertResult::NotLoaded);
    EXPECT_FALSE(empty.CreateSignature(1, 0, 0, 1, 1, u"", "x", "", 10, 0, true));
}

TEST_F(PdfSignature, NoUpdateForMissingPageOrFields) {
    std::string original = pdftest::makeSimplePdf(2);
    ASSERT_TRUE(engine.LoadPdfPtr(original));
    EXPECT_FALSE(sign(3, true));
    EXPECT_FALSE(sign(0, true));
    EXPECT_EQ(engine.GetPdf(), original);
    EXPECT_EQ(engine.CountSigns(), 0);
    ASSERT_TRUE(sign(2, true)); // the engine is still usable
    EXPECT_EQ(engine.GetFieldName(0), "(Signature1)");

    std::map<int, std::string> objects;
    objects[1] = "<< /Type /Catalog /Pages 2 0 R /AcroForm << /DA (x) >> >>";
    objects[2] = "<< /Type /Pages /Kids [3 0 R] /Count 1 >>";
    objects[3] = "<< /Type /Page /Parent 2 0 R >>";
    std::string noFields = makePdf(objects, "/Root 1 0 R");
    ASSERT_TRUE(engine.LoadPdfPtr(noFields));
    EXPECT_FALSE(sign(1, false));
    EXPECT_EQ(engine.GetPdf(), noFields);
}

TEST_F(PdfSignature, IndirectFieldsAndAnnotsArrays) {
    std::map<int, std::string> objects;
    objects[1] = "<< /Type /Catalog /Pages 2 0 R /AcroForm 5 0 R >>";
    objects[2] = "<< /Type /Pages /Kids [3 0 R] /Count 1 >>";
    objects[3] = "<< /Type /Page /Parent 2 0 R /Annots 4 0 R /MediaBox [0 0 612 792] >>";
    objects[4] = "[]";
    objects[5] = "<< /Fields 6 0 R /DA (/Helv 0 Tf 0 g) >>";
    objects[6] = "[]";
    std::string original = makePdf(objects, "/Root 1 0 R");
    ASSERT_TRUE(engine.LoadPdfPtr(original));
    ASSERT_TRUE(sign(1, true));
    const std::string& pdf = engine.GetPdf();
    // The holder is the /Fields array itself, the page gets a direct /Annots as its last entry.
    EXPECT_EQ(pdf.compare(original.size(), 20, "6 0 obj\r\n[7 0 R]endo"), 0);
    EXPECT_NE(pdf.find("/MediaBox [0 0 612 792]/Annots [7 0 R]>>"), std::string::npos);
    EXPECT_EQ(engine.CountSigns(), 1);
}

TEST_F(PdfSignature, OpensslSignaturesVerifyWithPeers) {
    if (!toolsPresent()) {
        GTEST_SKIP() << "openssl, qpdf or pdfsig missing";
    }
    ASSERT_TRUE(engine.LoadPdfPtr(pdftest::makeSimplePdf(2)));
    ASSERT_TRUE(sign(2, true, "Juan \\(Firma\\)"));
    fillWithOpenssl(0);
    std::string first = save("first.pdf");
    std::string out;
    EXPECT_EQ(pdftest::run("qpdf --check " + first, out), 0) << out;
    EXPECT_EQ(pdftest::run("pdfsig " + first, out), 0) << out;
    EXPECT_NE(out.find("Signature1"), std::string::npos) << out;
    EXPECT_NE(out.find("Signature is Valid"), std::string::npos) << out;
    EXPECT_NE(out.find("adbe.pkcs7.detached"), std::string::npos) << out;

    // A second signature with add = 1 keeps the first valid.
    ASSERT_TRUE(sign(1, true));
    fillWithOpenssl(1);
    std::string second = save("second.pdf");
    EXPECT_EQ(pdftest::run("qpdf --check " + second, out), 0) << out;
    pdftest::run("pdfsig " + second, out);
    size_t firstAt = out.find("Signature #1");
    size_t secondAt = out.find("Signature #2");
    ASSERT_NE(secondAt, std::string::npos) << out;
    EXPECT_NE(out.substr(firstAt, secondAt - firstAt).find("Signature is Valid"), std::string::npos)
        << out;
    EXPECT_NE(out.substr(secondAt).find("Signature is Valid"), std::string::npos) << out;
    EXPECT_NE(out.find("Signature2"), std::string::npos) << out;

    // A third with add = 0 invalidates the earlier ones.
    ASSERT_TRUE(sign(1, false));
    fillWithOpenssl(2);
    std::string third = save("third.pdf");
    pdftest::run("pdfsig " + third, out);
    secondAt = out.find("Signature #2");
    size_t thirdAt = out.find("Signature #3");
    ASSERT_NE(thirdAt, std::string::npos) << out;
    EXPECT_EQ(out.substr(0, secondAt).find("Signature is Valid"), std::string::npos) << out;
    EXPECT_NE(out.substr(thirdAt).find("Signature is Valid"), std::string::npos) << out;
}

TEST_F(PdfSignature, CadesSubFilter) {
    if (!toolsPresent()) {
        GTEST_SKIP() << "openssl, qpdf or pdfsig missing";
    }
    settings["PDF_SIGNATURE_FORMAT"] = "mt_pades";
    ASSERT_TRUE(engine.LoadPdfPtr(pdftest::makeSimplePdf()));
    ASSERT_TRUE(sign(1, true));
    EXPECT_NE(engine.GetPdf().find("/SubFilter /ETSI.CAdES.detached"), std::string::npos);
    fillWithOpenssl(0, "-cades -md sha256");
    std::string file = save("cades.pdf");
    std::string out;
    EXPECT_EQ(pdftest::run("qpdf --check " + file, out), 0) << out;
    pdftest::run("pdfsig " + file, out);
    EXPECT_NE(out.find("ETSI.CAdES.detached"), std::string::npos) << out;
    EXPECT_NE(out.find("Signature is Valid"), std::string::npos) << out;
}

TEST_F(PdfSignature, RealDocumentsFromQpdf) {
    if (!toolsPresent()) {
        GTEST_SKIP() << "openssl, qpdf or pdfsig missing";
    }
    std::string out;
    // A multi-page document with nested page tree nodes and rotation, made by qpdf.
    std::string base = path("base.pdf").string();
    pdftest::writeFile(base, pdftest::makeSimplePdf(3));
    std::string merged = path("merged.pdf").string();
    ASSERT_EQ(pdftest::run("qpdf --empty --pages " + base + " " + base + " " + base +
                               " -- --rotate=+90:4 --object-streams=disable " + merged,
                           out),
              0)
        << out;
    std::vector<std::string> inputs = {merged};
    // Real documents shipped with Debian packages, rewritten with classic cross-reference
    // tables.
    std::vector<std::filesystem::path> docs;
    std::error_code error;
    for (auto it = std::filesystem::recursive_directory_iterator("/usr/share/doc", error);
         !error && it != std::filesystem::recursive_directory_iterator() && docs.size() < 3;
         it.increment(error)) {
        if (it->path().extension() == ".pdf" && it->is_regular_file() &&
            it->file_size() < 8 * 1024 * 1024) {
            docs.push_back(it->path());
        }
    }
    for (const auto& doc : docs) {
        std::string converted = path("real" + std::to_string(inputs.size()) + ".pdf").string();
        if (pdftest::run("qpdf --object-streams=disable '" + doc.string() + "' " + converted,
                         out) <= 3) {
            inputs.push_back(converted);
        }
    }
    for (const std::string& input : inputs) {
        SCOPED_TRACE(input);
        ASSERT_TRUE(engine.LoadPdfPtr(pdftest::readFile(input)));
        int pages = engine.GetMaxPag();
        ASSERT_GT(pages, 0);
        if (input == merged) {
            EXPECT_EQ(pages, 9);
            EXPECT_EQ(engine.GetRotatePag(4), 90);
            EXPECT_EQ(engine.GetRotatePag(5), 0);
        }
        ASSERT_TRUE(sign(pages, true));
        fillWithOpenssl(engine.CountSigns() - 1);
        std::string signedFile = save("signed.pdf");
        EXPECT_EQ(pdftest::run("qpdf --check " + signedFile, out), 0) << out;
        pdftest::run("pdfsig " + signedFile, out);
        EXPECT_NE(out.find("Signature is Valid"), std::string::npos) << out;
    }
}

TEST_F(PdfSignature, JpegImageInTheAppearance) {
    std::string original = pdftest::makeSimplePdf();
    ASSERT_TRUE(engine.LoadPdfPtr(original));
    std::string jpeg = pdftest::jpegBytes(120, 80);
    std::string b64 = stream::Base64::encode(jpeg);
    ASSERT_TRUE(engine.CreateSignature(1, 10, 10, 130, 90, pdftest::utf16(b64), "Con imagen",
                                       "Courier", 8, 0, true));
    const std::string& pdf = engine.GetPdf();
    EXPECT_NE(pdf.find("5 5\r\n", original.size()), std::string::npos); // K = 5, with the image
    EXPECT_NE(pdf.find("/XObject <</img0 8 0 R>>"), std::string::npos);
    EXPECT_NE(pdf.find("8 0 obj\r\n<</Length " + std::to_string(jpeg.size()) +
                       "/Subtype /Image/Width 120/Height 80"),
              std::string::npos);
    EXPECT_NE(pdf.find(jpeg), std::string::npos);
    EXPECT_NE(pdf.find("/V 9 0 R"), std::string::npos); // the signature dictionary is K + 4
    ByteRange r = lastByteRange(pdf);
    EXPECT_EQ(r.b + r.c, static_cast<long>(pdf.size()));
    // A real JPEG (rendered by pdftoppm) keeps the document valid for qpdf, which decodes it.
    std::string out;
    if (pdftest::haveTool("qpdf") && pdftest::haveTool("pdftoppm")) {
        pdftest::writeFile(path("page.pdf"), original);
        ASSERT_EQ(pdftest::run("pdftoppm -jpeg -r 9 -singlefile " + path("page.pdf").string() +
                                   " " + path("page").string(),
                               out),
                  0)
            << out;
        std::string real = pdftest::readFile(path("page.jpg"));
        ASSERT_TRUE(engine.LoadPdfPtr(original));
        ASSERT_TRUE(engine.CreateSignature(1, 10, 10, 130, 90,
                                           pdftest::utf16(stream::Base64::encode(real)),
                                           "Con imagen", "Courier", 8, 0, true));
        EXPECT_NE(engine.GetPdf().find("/Width 77/Height 99"), std::string::npos);
        EXPECT_EQ(pdftest::run("qpdf --check " + save("image.pdf"), out), 0) << out;
    }
    // A PNG is left out: four new objects, no image.
    ASSERT_TRUE(engine.LoadPdfPtr(original));
    std::string png = stream::Base64::encode("\x89PNG\r\n\x1A\n0000");
    ASSERT_TRUE(
        engine.CreateSignature(1, 10, 10, 130, 90, pdftest::utf16(png), "x", "", 8, 0, true));
    EXPECT_NE(engine.GetPdf().find("5 4\r\n", original.size()), std::string::npos);
    EXPECT_EQ(engine.GetPdf().find("/img0"), std::string::npos);
}

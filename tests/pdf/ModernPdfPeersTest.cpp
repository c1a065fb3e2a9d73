// Today's documents signed by the engine and checked by peers: real PDF 1.5 files shipped with
// Debian, qpdf's object streams (also over a signed document), pdftocairo's output and hybrid
// files of our own generator; openssl signs, qpdf --check and pdfsig judge, pdftoppm shows
// that nothing outside the signature's rectangle changed. Signatures that pdfsig adds to such
// documents are read back and verified with openssl.
#include "PdfTestSupport.h"

#include "component/pdf/CBPdfDictionary.h"
#include "component/pdf/CBPdfValue.h"
#include "component/pdf/CPdfSign.h"

#include <cstdio>

using namespace component::pdf;

namespace {

bool peersPresent() {
    for (const char* tool : {"openssl", "qpdf", "pdfsig", "pdftoppm", "pdftocairo"}) {
        if (!pdftest::haveTool(tool)) {
            return false;
        }
    }
    return true;
}

size_t count(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) {
        ++n;
    }
    return n;
}

std::vector<std::filesystem::path> realDocuments(size_t most) {
    std::vector<std::filesystem::path> docs;
    std::error_code error;
    for (auto it = std::filesystem::recursive_directory_iterator("/usr/share/doc", error);
         !error && it != std::filesystem::recursive_directory_iterator() && docs.size() < most;
         it.increment(error)) {
        if (it->path().extension() == ".pdf" && it->is_regular_file() &&
            it->file_size() < 4 * 1024 * 1024) {
            docs.push_back(it->path());
        }
    }
    std::sort(docs.begin(), docs.end());
    return docs;
}

// A binary PPM (P6): its size and pixels.
struct Picture {
    int width = 0;
    int height = 0;
    std::string pixels;
};

Picture readPpm(const std::string& bytes) {
    Picture picture;
    int maxValue = 0;
    int used = 0;
    if (std::sscanf(bytes.c_str(), "P6 %d %d %d%n", &picture.width, &picture.height, &maxValue,
                    &used) == 3 &&
        static_cast<size_t>(used) < bytes.size()) {
        picture.pixels = bytes.substr(static_cast<size_t>(used) + 1);
    }
    return picture;
}

constexpr int kDpi = 18;
// The rectangle every signature of these tests takes (points).
constexpr int kX1 = 100, kY1 = 100, kX2 = 300, kY2 = 160;

class PdfModernPeers : public pdftest::PdfTest {
protected:
    CPdfSign engine{[](const std::string&) { return std::string(); }};

    void SetUp() override {
        pdftest::PdfTest::SetUp();
        if (!peersPresent()) {
            GTEST_SKIP() << "openssl, qpdf, pdfsig, pdftoppm or pdftocairo missing";
        }
        std::string out;
        ASSERT_EQ(pdftest::run("openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "
                               "'/CN=Prueba PDF' -keyout " +
                                   path("key.pem").string() + " -out " + path("cert.pem").string(),
                               out),
                  0)
            << out;
    }

    std::string file(const std::string& name) const { return path(name).string(); }

    // CreateSignature on page, openssl cms over the bytes to sign, InsertSign.
    void signPage(int page) {
        ASSERT_TRUE(engine.CreateSignature(page, kX1, kY1, kX2, kY2, u"", "Firmante", "Helvetica",
                                           10, 0, true));
        auto bytes = engine.GetSignedBytes(engine.CountSigns() - 1);
        ASSERT_TRUE(bytes.has_value());
        pdftest::writeFile(path("tosign.bin"), *bytes);
        std::string out;
        ASSERT_EQ(pdftest::run("openssl cms -sign -binary -outform DER -nosmimecap -in " +
                                   file("tosign.bin") + " -signer " + file("cert.pem") +
                                   " -inkey " + file("key.pem") + " -out " + file("sig.der"),
                               out),
                  0)
            << out;
        ASSERT_EQ(engine.InsertSign(pdftest::toHex(pdftest::readFile(path("sig.der")))),
                  CPdfSign::InsertResult::Written);
    }

    Picture render(const std::string& pdf, int page, const std::string& name) {
        std::string out;
        EXPECT_EQ(pdftest::run("pdftoppm -singlefile -r " + std::to_string(kDpi) + " -f " +
                                   std::to_string(page) + " -l " + std::to_string(page) + " " +
                                   pdf + " " + file(name),
                               out),
                  0)
            << out;
        return readPpm(pdftest::readFile(path(name + ".ppm")));
    }

    // Pixels of a page before and after signing are the same outside the signature's
    // rectangle (with a margin for anti-aliasing), and the whole page when it was not signed.
    void expectSameRendering(const std::string& before, const std::string& after, int page,
                             bool signedPage) {
        Picture a = render(before, page, "before");
        Picture b = render(after, page, "after");
        ASSERT_EQ(a.width, b.width);
        ASSERT_EQ(a.height, b.height);
        ASSERT_EQ(a.pixels.size(), b.pixels.size());
        ASSERT_FALSE(a.pixels.empty());
        const double scale = kDpi / 72.0;
        const int margin = 3;
        int differing = 0;
        for (int y = 0; y < a.height; ++y) {
            for (int x = 0; x < a.width; ++x) {
                const bool inside =
                    signedPage && x >= kX1 * scale - margin && x <= kX2 * scale + margin &&
                    y >= a.height - kY2 * scale - margin && y <= a.height - kY1 * scale + margin;
                const size_t at = (static_cast<size_t>(y) * a.width + x) * 3;
                if (!inside && a.pixels.compare(at, 3, b.pixels, at, 3) != 0) {
                    ++differing;
                }
            }
        }
        EXPECT_EQ(differing, 0) << "page " << page;
    }

    // Signs the last page, then the first: each signature is valid for pdfsig (with those
    // the input already had that were valid), qpdf --check passes, and the pages render as
    // before outside the rectangle.
    void signTwiceAndCheck(const std::string& input, size_t validBefore) {
        SCOPED_TRACE(input);
        std::string out;
        ASSERT_TRUE(engine.LoadPdfPtr(pdftest::readFile(input)));
        const int pages = engine.GetMaxPag();
        ASSERT_GT(pages, 0);
        signPage(pages);
        const std::string once = file("once.pdf");
        pdftest::writeFile(once, engine.GetPdf());
        EXPECT_EQ(pdftest::run("qpdf --check " + once, out), 0) << out;
        pdftest::run("pdfsig " + once, out);
        EXPECT_EQ(count(out, "Signature is Valid"), validBefore + 1) << out;

        signPage(1);
        const std::string twice = file("twice.pdf");
        pdftest::writeFile(twice, engine.GetPdf());
        EXPECT_EQ(pdftest::run("qpdf --check " + twice, out), 0) << out;
        pdftest::run("pdfsig " + twice, out);
        EXPECT_EQ(count(out, "Signature is Valid"), validBefore + 2) << out;

        expectSameRendering(input, twice, pages, true);
        expectSameRendering(input, twice, 1, true);
        if (pages > 2) {
            expectSameRendering(input, twice, 2, false);
        }
    }
};

} // namespace

TEST_F(PdfModernPeers, GeneratedStreamAndHybridDocuments) {
    std::map<int, std::string> objects;
    objects[1] = "<< /Type /Catalog /Pages 2 0 R >>";
    objects[2] = "<< /Type /Pages /Kids [4 0 R 5 0 R 6 0 R] /Count 3 >>";
    const std::string content = "0 0 1 rg 50 50 500 700 re f BT /F1 24 Tf 72 712 Td (Hola) Tj ET";
    objects[3] = "<< /Length " + std::to_string(content.size()) + " >>\r\nstream\r\n" + content +
                 "\r\nendstream";
    for (int n = 4; n <= 6; ++n) {
        objects[n] = "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Contents 3 0 R "
                     "/Resources << /Font << /F1 << /Type /Font /Subtype /Type1 /BaseFont "
                     "/Helvetica >> >> >> >>";
    }
    pdftest::ModernLayout layout;
    layout.packed = {1, 2, 4, 5, 6};
    pdftest::writeFile(path("stream.pdf"), pdftest::makeModernPdf(objects, "/Root 1 0 R", layout));
    layout.hybrid = true;
    pdftest::writeFile(path("hybrid.pdf"), pdftest::makeModernPdf(objects, "/Root 1 0 R", layout));
    std::string out;
    for (const char* name : {"stream.pdf", "hybrid.pdf"}) {
        ASSERT_EQ(pdftest::run("qpdf --check " + file(name), out), 0) << out;
        signTwiceAndCheck(file(name), 0);
    }
}

TEST_F(PdfModernPeers, RealDocumentsAsShippedAndRewrittenByQpdfAndPdftocairo) {
    const auto docs = realDocuments(2);
    if (docs.empty()) {
        GTEST_SKIP() << "no PDF under /usr/share/doc";
    }
    std::string out;
    // The first as its producer wrote it, the last rewritten by qpdf and by pdftocairo.
    std::vector<std::string> inputs = {docs[0].string()};
    ASSERT_EQ(pdftest::run("qpdf --object-streams=generate '" + docs.back().string() + "' " +
                               file("generated.pdf"),
                           out),
              0)
        << out;
    inputs.push_back(file("generated.pdf"));
    ASSERT_EQ(pdftest::run("pdftocairo -pdf -f 1 -l 3 '" + docs.back().string() + "' " +
                               file("cairo.pdf"),
                           out),
              0)
        << out;
    inputs.push_back(file("cairo.pdf"));
    for (const std::string& input : inputs) {
        signTwiceAndCheck(input, 0);
    }
}

TEST_F(PdfModernPeers, QpdfPagesInObjectStreamsAndASecondPassOverASignedOne) {
    std::string out;
    pdftest::writeFile(path("base.pdf"), pdftest::makeSimplePdf(3));
    ASSERT_EQ(pdftest::run("qpdf --empty --pages " + file("base.pdf") + " " + file("base.pdf") +
                               " -- --rotate=+90:2 --object-streams=generate " + file("merged.pdf"),
                           out),
              0)
        << out;
    ASSERT_TRUE(engine.LoadPdfPtr(pdftest::readFile(path("merged.pdf"))));
    EXPECT_TRUE(engine.Reader().NewestSectionIsStream());
    EXPECT_EQ(engine.GetMaxPag(), 6);
    EXPECT_EQ(engine.GetRotatePag(2), 90);
    // qpdf packs the pages (and the page tree and catalog) into object streams.
    CBPdfDictionary* first = engine.GetObjPag(1);
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(engine.Reader().IsCompressed(first->GetObjectNumber()));
    signTwiceAndCheck(file("merged.pdf"), 0);

    // qpdf rewrites the signed document with object streams: the old signatures no longer
    // cover it, new ones must still be valid.
    ASSERT_EQ(pdftest::run("qpdf --object-streams=generate " + file("twice.pdf") + " " +
                               file("repacked.pdf"),
                           out),
              0)
        << out;
    ASSERT_TRUE(engine.LoadPdfPtr(pdftest::readFile(path("repacked.pdf"))));
    EXPECT_EQ(engine.CountSigns(), 2);
    // Invalidating the earlier signatures (add = false) leaves signatures the rewrite packed
    // into an object stream alone instead of writing into compressed bytes.
    ASSERT_TRUE(
        engine.CreateSignature(3, kX1, kY1, kX2, kY2, u"", "Otra", "Helvetica", 10, 0, false));
    pdftest::writeFile(path("invalidating.pdf"), engine.GetPdf());
    EXPECT_EQ(pdftest::run("qpdf --check " + file("invalidating.pdf"), out), 0) << out;
    signTwiceAndCheck(file("repacked.pdf"), 0);
}

TEST_F(PdfModernPeers, SignaturesThatPdfsigAddedAreReadBack) {
    std::string out;
    ASSERT_EQ(pdftest::run("openssl pkcs12 -export -inkey " + file("key.pem") + " -in " +
                               file("cert.pem") + " -name peer -passout pass:pw -out " +
                               file("peer.p12"),
                           out),
              0)
        << out;
    std::filesystem::create_directories(path("nss"));
    const std::string nss = "sql:" + file("nss");
    ASSERT_EQ(pdftest::run("certutil -N -d " + nss + " --empty-password", out), 0) << out;
    ASSERT_EQ(pdftest::run("pk12util -i " + file("peer.p12") + " -d " + nss + " -W pw", out), 0)
        << out;

    pdftest::ModernLayout layout;
    layout.packed = {1, 2, 4};
    std::map<int, std::string> objects;
    objects[1] = "<< /Type /Catalog /Pages 2 0 R >>";
    objects[2] = "<< /Type /Pages /Kids [4 0 R] /Count 1 >>";
    objects[3] = "<< /Length 0 >>\r\nstream\r\n\r\nendstream";
    objects[4] = "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Contents 3 0 R >>";
    pdftest::writeFile(path("stream.pdf"), pdftest::makeModernPdf(objects, "/Root 1 0 R", layout));
    std::vector<std::string> inputs = {file("stream.pdf")};
    const auto docs = realDocuments(1);
    if (!docs.empty()) {
        inputs.push_back(docs[0].string());
    }
    for (const std::string& input : inputs) {
        SCOPED_TRACE(input);
        ASSERT_EQ(pdftest::run("pdfsig -add-signature -nssdir " + nss + " -nick peer '" + input +
                                   "' " + file("peer.pdf"),
                               out),
                  0)
            << out;
        ASSERT_TRUE(engine.LoadPdfPtr(pdftest::readFile(path("peer.pdf"))));
        ASSERT_EQ(engine.CountSigns(), 1);
        auto bytes = engine.GetSignedBytes(0);
        ASSERT_TRUE(bytes.has_value());
        CBPdfValue* contents = engine.GetContents(0);
        ASSERT_NE(contents, nullptr);
        std::string hex = contents->GetText();
        ASSERT_GE(hex.size(), 2u);
        hex = hex.substr(1, hex.size() - 2);
        std::string der;
        for (size_t i = 0; i + 1 < hex.size(); i += 2) {
            der += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
        }
        // The placeholder is padded with zero bytes after the SEQUENCE (pdfsig writes BER
        // with indefinite lengths, which end by themselves).
        ASSERT_GE(der.size(), 4u);
        ASSERT_EQ(static_cast<unsigned char>(der[0]), 0x30);
        size_t length = static_cast<unsigned char>(der[1]);
        size_t header = 2;
        if (length == 0x80) {
            length = der.size() - header;
        } else if (length & 0x80) {
            const size_t bytesOfLength = length & 0x7F;
            length = 0;
            for (size_t i = 0; i < bytesOfLength; ++i) {
                length = length << 8 | static_cast<unsigned char>(der[2 + i]);
            }
            header += bytesOfLength;
        }
        ASSERT_LE(header + length, der.size());
        der.resize(header + length);
        pdftest::writeFile(path("peer.der"), der);
        pdftest::writeFile(path("peer.bin"), *bytes);
        EXPECT_EQ(pdftest::run("openssl cms -verify -binary -inform DER -noverify -in " +
                                   file("peer.der") + " -content " + file("peer.bin") +
                                   " -out /dev/null",
                               out),
                  0)
            << out;
    }
}

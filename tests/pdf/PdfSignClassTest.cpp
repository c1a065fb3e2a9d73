#include "PdfTestSupport.h"

#include "com/BStr.h"
#include "com/ComPtr.h"
#include "com/ErrorInfo.h"
#include "component/module/SettingsTable.h"
#include "component/pdf/PdfBase64.h"
#include "component/pdf/PdfSign.h"
#include "stream/Base64.h"

using component::pdf::PdfBase64;
using component::pdf::PdfSign;

namespace {

class PdfSignClass : public pdftest::PdfTest {
protected:
    void SetUp() override {
        PdfTest::SetUp();
        component::module::SettingsTable::instance().clear();
        ASSERT_EQ(PdfSign::createInstance(nullptr, IPdfSign::iid, reinterpret_cast<void**>(&pdf)),
                  S_OK);
    }
    void TearDown() override {
        if (pdf != nullptr) {
            pdf->Release();
        }
        component::module::SettingsTable::instance().clear();
        PdfTest::TearDown();
    }

    HRESULT loadBase64(const std::string& bytes, const std::string& after = "") {
        com::BStr text(pdftest::utf16(stream::Base64::encode(bytes) + after));
        return pdf->Set_Base64(text.get());
    }
    LONG pages() {
        LONG n = -1;
        EXPECT_EQ(pdf->CountPages(&n), S_OK);
        return n;
    }
    bool loaded() {
        com::BStr out;
        EXPECT_EQ(pdf->GetAllBytes(out.out()), S_OK);
        return out.get() != nullptr;
    }

    HRESULT createSign(const std::u16string& name, LONG add, LONG* index, LONG page = 1) {
        com::BStr nombre(name);
        com::BStr image(u"");
        com::BStr font(u"Times-Roman");
        return pdf->CreateSign(nombre.get(), image.get(), page, 10, 10, 210, 60, font.get(), 12, 0,
                               add, index);
    }

    std::string allBytes() {
        com::BStr out;
        EXPECT_EQ(pdf->GetAllBytes(out.out()), S_OK);
        return out.bytes();
    }

    static std::string lastErrorDescription() {
        IErrorInfo* info = nullptr;
        if (GetErrorInfo(0, &info) != S_OK || info == nullptr) {
            return "<none>";
        }
        com::BStr description;
        info->GetDescription(description.out());
        info->Release();
        return description.utf8();
    }

    IPdfSign* pdf = nullptr;
};

} // namespace

TEST_F(PdfSignClass, LoadingChecksTheBase64Text) {
    EXPECT_EQ(pdf->Set_Base64(nullptr), S_FALSE);
    com::BStr seven(u"JVBERi0");
    EXPECT_EQ(pdf->Set_Base64(seven.get()), S_FALSE);
    com::BStr notPdf(u"QUJDRA==");
    EXPECT_EQ(pdf->Set_Base64(notPdf.get()), S_FALSE);
    EXPECT_EQ(loadBase64(pdftest::makeSimplePdf()), S_OK);
    LONG pages = 0;
    EXPECT_EQ(pdf->CountPages(&pages), S_OK);
    EXPECT_EQ(pages, 1);
    EXPECT_EQ(pdf->InicializarPdf(), S_OK);
}

TEST_F(PdfSignClass, WithoutDocument) {
    com::BStr out;
    EXPECT_EQ(pdf->GetAllBytes(out.out()), S_OK);
    EXPECT_EQ(out.get(), nullptr);
    EXPECT_EQ(pdf->GetAllB64Bytes(out.out()), S_OK);
    EXPECT_EQ(out.get(), nullptr);
    EXPECT_EQ(pdf->GetBytesToSign(0, out.out()), S_OK);
    EXPECT_EQ(out.get(), nullptr);
    com::BStr hex = com::BStr::fromBytes("AB");
    EXPECT_EQ(pdf->InsertSign(hex.get(), 0), S_FALSE); // nothing to write into
    LONG index = 7;
    EXPECT_EQ(createSign(u"x", 1, &index), S_FALSE);
    EXPECT_EQ(index, -1);
}

TEST_F(PdfSignClass, SignatureRoundTrip) {
    ASSERT_EQ(loadBase64(pdftest::makeSimplePdf()), S_OK);
    LONG index = -5;
    ASSERT_EQ(createSign(u"Juan (Firma) \u00C1", 1, &index), S_OK);
    EXPECT_EQ(index, 0);
    std::string document = allBytes();
    EXPECT_NE(document.find("/Name (Juan \\(Firma\\) \xC1)"), std::string::npos);
    EXPECT_NE(document.find("(Juan \\(Firma\\) \xC1) Tj"), std::string::npos);
    EXPECT_NE(document.find("/BaseFont /Times-Roman"), std::string::npos);

    com::BStr hex;
    ASSERT_EQ(pdf->GetSignHex(0, hex.out()), S_OK);
    EXPECT_EQ(hex.bytes(), std::string(9472, '0'));
    EXPECT_EQ(pdf->GetSignHex(1, hex.out()), S_FALSE);

    com::BStr toSign;
    ASSERT_EQ(pdf->GetBytesToSign(0, toSign.out()), S_OK);
    com::BStr toSign64;
    ASSERT_EQ(pdf->GetBytesB64ToSign(0, toSign64.out()), S_OK);
    EXPECT_EQ(toSign64.bytes(), stream::Base64::encode(toSign.bytes()));
    EXPECT_EQ(toSign.byteLength() + 9472 + 2, document.size());
    EXPECT_EQ(pdf->GetBytesToSign(3, toSign.out()), S_OK); // out of range: empty
    EXPECT_EQ(toSign.byteLength(), 0u);

    com::BStr value = com::BStr::fromBytes("3082ABCD");
    ASSERT_EQ(pdf->InsertSign(value.get(), 0), S_OK);
    ASSERT_EQ(pdf->GetSignHex(0, hex.out()), S_OK);
    EXPECT_EQ(hex.bytes(), "3082ABCD" + std::string(9472 - 8, '0'));
    com::BStr tooLong = com::BStr::fromBytes(std::string(9473, 'A'));
    EXPECT_EQ(pdf->InsertSign(tooLong.get(), 0), S_FALSE);

    com::BStr all64;
    ASSERT_EQ(pdf->GetAllB64Bytes(all64.out()), S_OK);
    EXPECT_EQ(PdfBase64::decode(all64.bytes()), allBytes());

    ASSERT_EQ(createSign(u"Otro", 1, &index), S_OK);
    ASSERT_EQ(createSign(u"Otro", 1, &index), S_OK);
    EXPECT_EQ(index, 2);
    LONG count = 0;
    EXPECT_EQ(pdf->GetMaxSign(&count), S_OK);
    EXPECT_EQ(count, 3);
    EXPECT_EQ(createSign(u"x", 1, &index, 9), S_FALSE); // no such page: nothing built
    EXPECT_EQ(index, 2);
}

TEST_F(PdfSignClass, SettingsComeFromTheModuleTable) {
    component::module::SettingsTable::instance().set("PDF_INTERNAL_PKCS7_SIZE", "40");
    component::module::SettingsTable::instance().set("PDF_SIGNATURE_FORMAT", "MT_PAdES");
    ASSERT_EQ(loadBase64(pdftest::makeSimplePdf()), S_OK);
    LONG index = 0;
    ASSERT_EQ(createSign(u"x", 1, &index), S_OK);
    com::BStr hex;
    ASSERT_EQ(pdf->GetSignHex(0, hex.out()), S_OK);
    EXPECT_EQ(hex.byteLength(), 40u);
    EXPECT_NE(allBytes().find("/SubFilter /ETSI.CAdES.detached"), std::string::npos);
}

TEST_F(PdfSignClass, ErrorsReachTheCaller) {
    std::string encrypted =
        pdftest::makePdf({{1, "<< /Type /Catalog >>"}, {2, "<< >>"}}, "/Root 1 0 R /Encrypt 2 0 R");
    EXPECT_EQ(loadBase64(encrypted), DISP_E_EXCEPTION);
    EXPECT_EQ(lastErrorDescription(), "PDF_ENCRYPTED");

    std::string broken = pdftest::makePdf({{1, "<< /Type /Catalog >>"}}, "/Root 1 0 R /K (open");
    EXPECT_EQ(loadBase64(broken), DISP_E_EXCEPTION);
    EXPECT_EQ(lastErrorDescription(), "El PDF no tiene un formato legible.");

    // Set_Data catches everything and reports it as unexpected.
    com::BStr data = com::BStr::fromBytes(encrypted);
    EXPECT_EQ(pdf->Set_Data(data.get(), static_cast<LONG>(encrypted.size())),
              static_cast<HRESULT>(0xFFFFFFFF));
    EXPECT_EQ(lastErrorDescription(), "Unespected error");
    EXPECT_EQ(pdf->Set_Data(nullptr, 10), S_FALSE);
    EXPECT_EQ(pdf->Set_Data(data.get(), -1), S_FALSE);
    std::string good = pdftest::makeSimplePdf();
    com::BStr goodData = com::BStr::fromBytes(good + "trailing bytes ignored");
    EXPECT_EQ(pdf->Set_Data(goodData.get(), static_cast<LONG>(good.size())), S_OK);
    // A size beyond the string takes only what the string holds.
    com::BStr exact = com::BStr::fromBytes(good);
    EXPECT_EQ(pdf->Set_Data(exact.get(), 1 << 30), S_OK);
    EXPECT_EQ(allBytes(), good);
}

// Loading replaces the document; a text that cannot be loaded leaves none.
TEST_F(PdfSignClass, TrailingLineBreaksAreNoReasonToRefuse) {
    EXPECT_EQ(loadBase64(pdftest::makeSimplePdf(1), "\r\n"), S_OK);
    EXPECT_EQ(pages(), 1);
    std::string wrapped = stream::Base64::encode(pdftest::makeSimplePdf(2));
    for (size_t at = 76; at < wrapped.size(); at += 78) {
        wrapped.insert(at, "\r\n");
    }
    com::BStr text(pdftest::utf16(wrapped + "\n"));
    EXPECT_EQ(pdf->Set_Base64(text.get()), S_OK);
    EXPECT_EQ(pages(), 2);
}

TEST_F(PdfSignClass, RefusedTextsUnloadThePreviousDocument) {
    ASSERT_EQ(loadBase64(pdftest::makeSimplePdf(3)), S_OK);
    com::BStr bad(u"JVBERi0xLjQ");
    EXPECT_EQ(pdf->Set_Base64(bad.get()), S_FALSE);
    EXPECT_FALSE(loaded());
    LONG index = 0;
    com::BStr name(u"x"), image(u""), font(u"");
    EXPECT_EQ(
        pdf->CreateSign(name.get(), image.get(), 1, 0, 0, 10, 10, font.get(), 10, 0, 1, &index),
        S_FALSE);
    EXPECT_EQ(index, -1);

    ASSERT_EQ(loadBase64(pdftest::makeSimplePdf(3)), S_OK);
    EXPECT_EQ(pdf->Set_Base64(nullptr), S_FALSE);
    EXPECT_FALSE(loaded());

    ASSERT_EQ(loadBase64(pdftest::makeSimplePdf(3)), S_OK);
    com::BStr bytes = com::BStr::fromBytes(pdftest::makeSimplePdf(1));
    EXPECT_EQ(pdf->Set_Data(bytes.get(), -1), S_FALSE);
    EXPECT_FALSE(loaded());

    ASSERT_EQ(loadBase64(pdftest::makeSimplePdf(3)), S_OK);
    EXPECT_EQ(pdf->Set_Data(nullptr, 10), S_FALSE);
    EXPECT_FALSE(loaded());
}

TEST_F(PdfSignClass, InsertSignWithoutPlaceholderIsRefused) {
    ASSERT_EQ(loadBase64(pdftest::makeSimplePdf(3)), S_OK);
    com::BStr hex = com::BStr::fromBytes("ABCD");
    EXPECT_EQ(pdf->InsertSign(hex.get(), 0), S_FALSE); // loaded, no signature created
    com::BStr bad(u"JVBE");
    pdf->Set_Base64(bad.get());
    EXPECT_EQ(pdf->InsertSign(hex.get(), 0), S_FALSE); // nothing loaded
}

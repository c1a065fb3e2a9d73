#include "component/pdf/QPASigner.h"

#include <gtest/gtest.h>

#include "ForeignObjects.h"
#include "PdfTestSupport.h"
#include "QpaTestSupport.h"
#include "SigningTestSupport.h"
#include "component/content/QNContent.h"
#include "component/module/ClassInfo.h"
#include "component/module/Module.h"
#include "component/module/SettingsTable.h"
#include "component/verification/IQNVerifyStatus.h"
#include "stream/HexBin.h"

namespace {

using namespace qpatest;
namespace module = component::module;
namespace verification = component::verification;

constexpr HRESULT kRead = static_cast<HRESULT>(0x80044651u);
constexpr HRESULT kFormat = static_cast<HRESULT>(0x8004465Du);
constexpr HRESULT kCannotSign = static_cast<HRESULT>(0x8004465Eu);
constexpr HRESULT kCreate = static_cast<HRESULT>(0x8004465Fu);
constexpr HRESULT kProtected = static_cast<HRESULT>(0x80044660u);
constexpr HRESULT kCancelled = static_cast<HRESULT>(0x80044661u);
constexpr HRESULT kWrongPassword = static_cast<HRESULT>(0x80044662u);
constexpr HRESULT kNotInitialized = static_cast<HRESULT>(0x80044665u);
constexpr LONG kBadSignature = static_cast<LONG>(0x80090006u);

// The encoded signature in the /Contents of the last signature, its length read from its
// own DER header (tag and short or long length form).
std::string signatureDer(const std::string& pdf) {
    ByteRange r = lastByteRange(pdf);
    std::string bytes = stream::HexBin::decode(
        pdf.substr(static_cast<size_t>(r.a) + 1, static_cast<size_t>(r.b - r.a - 2)));
    EXPECT_GE(bytes.size(), 4u);
    EXPECT_EQ(static_cast<unsigned char>(bytes[0]), 0x30);
    auto at = [&](size_t i) { return static_cast<unsigned char>(bytes.at(i)); };
    size_t length = at(1);
    size_t header = 2;
    if (length & 0x80) {
        size_t octets = length & 0x7F;
        length = 0;
        for (size_t i = 0; i < octets; ++i) {
            length = length << 8 | at(2 + i);
        }
        header += octets;
    }
    return bytes.substr(0, header + length);
}

// A document whose one page holds a malformed dictionary: it loads (the page tree is read
// only when a page is looked for) and fails when the page is walked.
std::string brokenPagePdf() {
    std::map<int, std::string> objects;
    objects[1] = "<< /Type /Catalog /Pages 2 0 R >>";
    objects[2] = "<< /Type /Pages /Kids [3 0 R] /Count 1 >>";
    objects[3] = "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792 /Contents >>";
    return pdftest::makePdf(objects, "/Root 1 0 R");
}

std::string encryptedPdf() {
    std::map<int, std::string> objects;
    objects[1] = "<< /Type /Catalog /Pages 2 0 R >>";
    objects[2] = "<< /Type /Pages /Kids [3 0 R] /Count 1 >>";
    objects[3] = "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] >>";
    objects[4] = "<< /Filter /Standard /V 2 /R 3 /Length 128 /P -4 >>";
    return pdftest::makePdf(objects, "/Root 1 0 R /Encrypt 4 0 R");
}

struct Status {
    HRESULT hr = E_FAIL;
    bool present = false;
    LONG idError = -1;
    std::string description;
};

Status statusOf(component::pdf::IQPASigner& qpa, LONG index) {
    com::ComPtr<IDispatch> made;
    Status s;
    s.hr = qpa.getStatus(index, made.out());
    if (FAILED(s.hr)) {
        s.description = errorDescription();
    }
    com::ComPtr<verification::IQNVerifyStatus> status;
    if (made &&
        SUCCEEDED(made->QueryInterface(verification::IQNVerifyStatus::iid, status.outVoid()))) {
        s.present = true;
        status->get_idError(&s.idError);
        com::BStr text;
        status->get_errorDescription(text.out());
        s.description = text.utf8();
    }
    return s;
}

class QPASignerTest : public QpaTest {
protected:
    // The PDF loaded into a new QPASigner.
    com::ComPtr<component::pdf::IQPASigner> loaded(const std::string& pdf) {
        com::ComPtr<component::pdf::IQPASigner> signer = qpa();
        com::ComPtr<content::IQNContent> document = newContent(pdf);
        EXPECT_EQ(signer->load(document.get()), S_OK);
        return signer;
    }
    bool opensslVerifies(const std::string& pdf) {
        signingtest::OpensslPeer peer(home.path(), root);
        std::string der = signatureDer(pdf);
        std::string output;
        bool ok = peer.cmsVerify(std::vector<unsigned char>(der.begin(), der.end()),
                                 signedBytes(pdf), true, &output);
        EXPECT_TRUE(ok) << output;
        return ok;
    }
};

// --- Signing ----------------------------------------------------------------------------

TEST_F(QPASignerTest, SignsWithEveryDefaultAsAnIncrementalUpdateThatOpensslVerifies) {
    std::string original = onePagePdf();
    SignOutcome out = sign(original);
    ASSERT_EQ(out.hr, S_OK) << out.description;
    EXPECT_EQ(out.document.compare(0, original.size(), original), 0);
    EXPECT_EQ(entry(out.document, "/Rect", original.size()), "[200 100 475 175]");
    EXPECT_EQ(entry(out.document, "/SubFilter"), "/adbe.pkcs7.detached");
    EXPECT_NE(out.document.find("(Signature1)", original.size()), std::string::npos);
    // The name from the certificate: its subject from just after "CN=".
    EXPECT_NE(out.document.find("/Name (Firmante PDF, O=Quillion, C=ES)"), std::string::npos);
    EXPECT_NE(out.document.find("/TF1 10 Tf"), std::string::npos);
    // The caller's content holds the signed byte ranges afterwards.
    EXPECT_EQ(out.content, signedBytes(out.document));
    // The value is upper-case hexadecimal.
    ByteRange r = lastByteRange(out.document);
    std::string value = out.document.substr(static_cast<size_t>(r.a) + 1, 64);
    EXPECT_EQ(value.find_first_of("abcdef"), std::string::npos) << value;
    opensslVerifies(out.document);
    // Every signature made here is SHA-1, and the setting stays for the process.
    EXPECT_EQ(module::SettingsTable::instance().get("HashAlgorithm"), "1.3.14.3.2.26");
    std::string lines = logText();
    EXPECT_NE(lines.find("TRACE: CQPASigner::sign"), std::string::npos);
}

TEST_F(QPASignerTest, PadesSettingGivesCadesDetachedWithTheEssSigningCertificate) {
    module::SettingsTable::instance().set("PDF_SIGNATURE_FORMAT", "mt_PAdES");
    SignOutcome out = sign(onePagePdf());
    ASSERT_EQ(out.hr, S_OK) << out.description;
    EXPECT_EQ(entry(out.document, "/SubFilter"), "/ETSI.CAdES.detached");
    std::string der = signatureDer(out.document);
    testpki::writeFile(path("pades.der"), der);
    std::string printed;
    ASSERT_EQ(
        testpki::run("openssl cms -cmsout -print -inform DER -in " + path("pades.der"), &printed),
        0);
    EXPECT_NE(printed.find("signingCertificate"), std::string::npos) << printed;
    EXPECT_EQ(printed.find("signingTime"), std::string::npos) << "no signing time was asked for";
    opensslVerifies(out.document);
}

TEST_F(QPASignerTest, RotatedPageTurnsTheDefaultRectangleAndTheAppearance) {
    std::string original = onePagePdf(90);
    SignOutcome out = sign(original);
    ASSERT_EQ(out.hr, S_OK) << out.description;
    EXPECT_EQ(entry(out.document, "/Rect", original.size()), "[475 100 400 375]");
    EXPECT_EQ(entry(out.document, "/Matrix", original.size()),
              "[-0.000004 1.000000 -1.000000 -0.000004 0 0]");
    EXPECT_EQ(entry(out.document, "/BBox", original.size()), "[0 0 275 75]");

    // Coordinates given are kept as given; the appearance still follows the page.
    out = sign(original, {.x1 = 10, .y1 = 20, .x2 = 110, .y2 = 220});
    ASSERT_EQ(out.hr, S_OK) << out.description;
    EXPECT_EQ(entry(out.document, "/Rect", original.size()), "[10 20 110 220]");
    EXPECT_EQ(entry(out.document, "/Matrix", original.size()),
              "[-0.000004 1.000000 -1.000000 -0.000004 0 0]");
    // Only the zero coordinates take their defaults on an unrotated page.
    out = sign(onePagePdf(), {.x1 = 50, .y2 = 300});
    EXPECT_EQ(entry(out.document, "/Rect", original.size()), "[50 100 475 300]");
}

TEST_F(QPASignerTest, PageOutsideTheDocumentSignsPageOne) {
    std::string original = onePagePdf(0, 2); // pages are objects 5 and 6
    SignOutcome out = sign(original, {.page = 2});
    ASSERT_EQ(out.hr, S_OK) << out.description;
    EXPECT_EQ(entry(out.document, "/P ", original.size()), "6 0 R");
    EXPECT_EQ(logText().find("La pagina no es correcta."), std::string::npos);

    for (long page : {3L, -2L}) {
        out = sign(original, {.page = page});
        ASSERT_EQ(out.hr, S_OK) << page << ": " << out.description;
        EXPECT_EQ(entry(out.document, "/P ", original.size()), "5 0 R") << page;
    }
    EXPECT_NE(logText().find("ERROR: La pagina no es correcta."), std::string::npos);
}

TEST_F(QPASignerTest, NameFontAndSizeAsGiven) {
    SignOutcome out =
        sign(onePagePdf(), {.name = "Juan (Firma)", .font = "Times-Bold", .fontSize = 14});
    ASSERT_EQ(out.hr, S_OK) << out.description;
    EXPECT_NE(out.document.find("/Name (Juan \\(Firma\\))"), std::string::npos);
    EXPECT_NE(out.document.find("(Juan \\(Firma\\)) Tj"), std::string::npos);
    EXPECT_NE(out.document.find("/TF1 14 Tf"), std::string::npos);
    EXPECT_NE(out.document.find("/BaseFont /Times-Bold"), std::string::npos);
}

TEST_F(QPASignerTest, JpegIsDrawnOtherPicturesAreLeftOutUnknownBytesAreRefused) {
    SignOutcome out = sign(onePagePdf(), {.image = pdftest::jpegBytes(64, 48)});
    ASSERT_EQ(out.hr, S_OK) << out.description;
    EXPECT_NE(out.document.find("/Width 64/Height 48"), std::string::npos);
    EXPECT_NE(out.document.find("/img0 Do"), std::string::npos);

    out = sign(onePagePdf(), {.image = std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16)});
    ASSERT_EQ(out.hr, S_OK) << out.description;
    EXPECT_EQ(out.document.find("/img0"), std::string::npos);

    std::string original = onePagePdf();
    out = sign(original, {.image = "no es una imagen"});
    EXPECT_EQ(out.hr, kFormat);
    EXPECT_EQ(out.description, "No se reconoce el formato de la imagen que se ha seleccionado");
    EXPECT_TRUE(out.document.empty());
    EXPECT_EQ(out.content, original) << "refused before the content was touched";
}

TEST_F(QPASignerTest, AddZeroInvalidatesTheEarlierSignatureAddOneKeepsIt) {
    for (long add : {0L, 1L}) {
        SignOutcome first = sign(onePagePdf());
        ASSERT_EQ(first.hr, S_OK) << first.description;
        SignOutcome second = sign(first.document, {.add = add});
        ASSERT_EQ(second.hr, S_OK) << second.description;
        EXPECT_NE(second.document.find("(Signature2)"), std::string::npos);
        auto signer = loaded(second.document);
        LONG count = 0;
        ASSERT_EQ(signer->GetMaxSign(&count), S_OK);
        EXPECT_EQ(count, 2);
        EXPECT_EQ(statusOf(*signer, 0).idError, add == 0 ? kBadSignature : 0) << add;
        EXPECT_EQ(statusOf(*signer, 1).idError, 0) << add;
    }
}

// --- Reading signatures -------------------------------------------------------------------

TEST_F(QPASignerTest, GetSignGivesTheDerGetSignedDataTheRangesGetStatusTheOutcome) {
    SignOutcome out = sign(onePagePdf());
    ASSERT_EQ(out.hr, S_OK) << out.description;
    auto signer = loaded(out.document);
    LONG count = 0;
    ASSERT_EQ(signer->GetMaxSign(&count), S_OK);
    EXPECT_EQ(count, 1);

    com::ComPtr<IDispatch> value;
    ASSERT_EQ(signer->getSign(0, value.out()), S_OK);
    EXPECT_EQ(bytesOf(value.get()), signatureDer(out.document));
    com::ComPtr<IDispatch> data;
    ASSERT_EQ(signer->getSignedData(0, data.out()), S_OK);
    EXPECT_EQ(bytesOf(data.get()), signedBytes(out.document));

    Status status = statusOf(*signer, 0);
    EXPECT_EQ(status.hr, S_OK);
    EXPECT_EQ(status.idError, 0);
    EXPECT_EQ(status.description, "No hay ningun error");

    // Past the end, and before the start: no status.
    for (LONG index : {count, -1}) {
        status = statusOf(*signer, index);
        EXPECT_EQ(status.hr, S_FALSE) << index;
        EXPECT_FALSE(status.present) << index;
    }
    // A signature that does not exist has no bytes.
    ASSERT_EQ(signer->getSign(5, value.out()), S_OK);
    EXPECT_EQ(bytesOf(value.get()), "");
}

TEST_F(QPASignerTest, OneChangedByteOfASignedRangeIsABadSignature) {
    SignOutcome out = sign(onePagePdf());
    ASSERT_EQ(out.hr, S_OK) << out.description;
    std::string changed = out.document;
    size_t at = changed.find("Contrato de prueba");
    ASSERT_NE(at, std::string::npos);
    changed[at] = 'K';
    auto signer = loaded(changed);
    Status status = statusOf(*signer, 0);
    EXPECT_EQ(status.hr, S_OK);
    EXPECT_EQ(status.idError, kBadSignature) << status.description;
    EXPECT_NE(logText().find("ERROR: CQPASigner::getStatus(). Firma invalida, no se ha podido "
                             "verificar."),
              std::string::npos);
}

TEST_F(QPASignerTest, SignatureWhoseEncodingEndsInAZeroByteIsReadWhole) {
    // The encoding ends with the last byte of the RSA value, zero once in 256 signatures:
    // sign other names until one does.
    std::string original = onePagePdf();
    SignOutcome out;
    std::string der;
    for (int attempt = 0; attempt < 4000; ++attempt) {
        out = sign(original, {.name = "Firma " + std::to_string(attempt)});
        ASSERT_EQ(out.hr, S_OK) << out.description;
        der = signatureDer(out.document);
        if (der.back() == '\0') {
            break;
        }
    }
    ASSERT_EQ(der.back(), '\0') << "no signature ending in a zero byte";
    auto signer = loaded(out.document);
    com::ComPtr<IDispatch> value;
    ASSERT_EQ(signer->getSign(0, value.out()), S_OK);
    EXPECT_EQ(bytesOf(value.get()), der);
    Status status = statusOf(*signer, 0);
    EXPECT_EQ(status.idError, 0) << status.description;
}

TEST_F(QPASignerTest, SignatureThatIsNoSignedMessageReportsTheVerifierFailure) {
    // A signature field whose value is a DER SEQUENCE but no signed message.
    SignOutcome out = sign(onePagePdf());
    ASSERT_EQ(out.hr, S_OK);
    ByteRange r = lastByteRange(out.document);
    std::string forged = out.document;
    std::string value = "3003020100";
    forged.replace(static_cast<size_t>(r.a) + 1, static_cast<size_t>(r.b - r.a - 2),
                   value + std::string(static_cast<size_t>(r.b - r.a - 2) - value.size(), '0'));
    auto signer = loaded(forged);
    Status status = statusOf(*signer, 0);
    EXPECT_TRUE(FAILED(status.hr)) << std::hex << status.hr;
    EXPECT_FALSE(status.present);
    EXPECT_FALSE(status.description.empty());
}

// --- Loading and failures -------------------------------------------------------------------

TEST_F(QPASignerTest, WithoutADocumentTheMethodsReportNotInitialised) {
    auto signer = qpa();
    LONG count = 7;
    EXPECT_EQ(signer->GetMaxSign(&count), kNotInitialized);
    EXPECT_EQ(errorDescription(), "El objeto QPASigner no fue correctamente inicializado.");
    com::ComPtr<IDispatch> object;
    EXPECT_EQ(signer->getSign(0, object.out()), kNotInitialized);
    EXPECT_EQ(signer->getSignedData(0, object.out()), kNotInitialized);
    // getStatus counts no signature, except for a negative index, which looks for the file.
    EXPECT_EQ(statusOf(*signer, 0).hr, S_FALSE);
    Status status = statusOf(*signer, -1);
    EXPECT_EQ(status.hr, kRead);
    EXPECT_EQ(status.description, "Error: No se encuentra el archivo.");

    // The error information names the class and its interface.
    EXPECT_EQ(signer->GetMaxSign(&count), kNotInitialized);
    com::ComPtr<IErrorInfo> info;
    ASSERT_EQ(GetErrorInfo(0, info.out()), S_OK);
    com::BStr source;
    info->GetSource(source.out());
    EXPECT_EQ(source.utf8(), "Quillion2.QPASigner.1");
    GUID iid{};
    info->GetGUID(&iid);
    EXPECT_TRUE(IsEqualGUID(iid, component::pdf::IQPASigner::iid));
}

TEST_F(QPASignerTest, LoadWritesItsLinesAndReportsEncryptedAndMalformedDocuments) {
    auto signer = loaded(onePagePdf());
    std::vector<std::string> lines = logLines(logText());
    std::vector<std::string> mine;
    for (const std::string& line : lines) {
        if (line.find("Load de Quillion") != std::string::npos ||
            line.find("base64.") != std::string::npos ||
            line.find("Base64 Cargado") != std::string::npos ||
            line.find("ejecucion de Load") != std::string::npos) {
            mine.push_back(line);
        }
    }
    EXPECT_EQ(mine, (std::vector<std::string>{
                        "INFO: Entro en Load de Quillion.",
                        "INFO: Se va a pasar el contenido a base64.",
                        "INFO: Contenido en Base64 Cargado.",
                        "INFO: Termino la ejecucion de Load",
                    }));

    com::ComPtr<content::IQNContent> document = newContent(encryptedPdf());
    EXPECT_EQ(signer->load(document.get()), kProtected);
    EXPECT_EQ(errorDescription(), "No se ha podido firmar el PDF por estar protegido o cifrado.");
    // The document of the earlier load is not answered for any longer.
    LONG count = 0;
    EXPECT_EQ(signer->GetMaxSign(&count), kNotInitialized);

    document = newContent("%PDF-1.4\r\n1 0 obj\r\n<< /Type /Catalog >>\r\nendobj\r\nstartxref"
                          "\r\n11\r\n%%EOF\r\n");
    EXPECT_EQ(signer->load(document.get()), kRead);
    EXPECT_EQ(errorDescription(), "Error al cargar el pdf.");

    // Bytes that are no PDF at all load as a document without signatures.
    document = newContent("hola");
    EXPECT_EQ(signer->load(document.get()), S_OK);
    EXPECT_EQ(signer->GetMaxSign(&count), S_OK);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(signer->load(nullptr), S_OK);
}

TEST_F(QPASignerTest, SignReportsDocumentsItCannotSign) {
    SignOutcome out = sign(encryptedPdf());
    EXPECT_EQ(out.hr, kProtected);
    EXPECT_EQ(out.description, "No se ha podido firmar el PDF por estar protegido o cifrado.");

    out = sign("hola mundo");
    EXPECT_EQ(out.hr, kRead);
    EXPECT_EQ(out.description, "Error cargando el pdf");
    EXPECT_EQ(out.content, "hola mundo");
    EXPECT_NE(logText().find("ERROR: No se ha podido cargar el PDF"), std::string::npos);

    // Loads, then fails while the page tree is walked.
    out = sign(brokenPagePdf());
    EXPECT_EQ(out.hr, kCannotSign);
    EXPECT_EQ(out.description, "No se ha podido firmar el PDF.");
}

TEST_F(QPASignerTest, SignatureLongerThanItsPlaceholderIsAFailureNotAnUnsignedDocument) {
    module::SettingsTable::instance().set("PDF_INTERNAL_PKCS7_SIZE", "200");
    SignOutcome out = sign(onePagePdf());
    EXPECT_EQ(out.hr, kCannotSign);
    EXPECT_EQ(out.description, "No se ha podido firmar el PDF.");
    EXPECT_TRUE(out.document.empty());
    EXPECT_NE(logText().find("El contenido de la firma es superior al tamaño permitido."),
              std::string::npos);
}

TEST_F(QPASignerTest, SignerFailuresKeepCancellationAndPasswordAndOtherwiseTheirText) {
    testpki::Issued keyless = testpki::issue(
        {.subject = "CN=Sin Clave, C=ES", .keyUsage = "digitalSignature", .serial = 5}, &root);
    auto noKey = certificate(keyless, false);
    SignOutcome out =
        sign(onePagePdf(),
             {.certificate = static_cast<component::certificates::IQNCertificate*>(noKey.get())});
    EXPECT_EQ(out.hr, kCannotSign);
    EXPECT_EQ(out.description, "Falta la clave privada del certificado");

    testpki::Issued guarded = testpki::issue(
        {.subject = "CN=Con Clave, C=ES", .keyUsage = "digitalSignature", .serial = 6}, &root);
    auto locked = certificate(guarded, true, "secreto");
    auto* lockedCert = static_cast<component::certificates::IQNCertificate*>(locked.get());
    scriptAnswers(home, "password=cancel\n");
    out = sign(onePagePdf(), {.certificate = lockedCert});
    EXPECT_EQ(out.hr, kCancelled);
    EXPECT_EQ(out.description, "El usuario ha cancelado la operacion");
    scriptAnswers(home, "password=otra\n");
    out = sign(onePagePdf(), {.certificate = lockedCert});
    EXPECT_EQ(out.hr, kWrongPassword);
    EXPECT_EQ(out.description, "Ha introducido una contraseña erronea");
    scriptAnswers(home, "password=secreto\n");
    out = sign(onePagePdf(), {.certificate = lockedCert});
    EXPECT_EQ(out.hr, S_OK) << out.description;
}

TEST_F(QPASignerTest, ContentOfAnotherImplementationTravelsAsBase64) {
    // The document reaches the PdfSign and the signed ranges come back as Base64 text, but
    // the signer reads only contents of its own.
    std::string original = onePagePdf();
    com::ComPtr<content::IQNContent> inner = newContent(original);
    com::ComPtr<content::IQNContent> document = foreign<ForeignContent>(inner.get());
    com::ComPtr<content::IQNContent> image = newContent("");
    com::BStr font(u"Helvetica");
    com::ComPtr<IDispatch> result;
    EXPECT_EQ(
        qpa()->sign(nullptr, 0, 0, 0, 0, 0, font.get(), 0, image.get(), document.get(),
                    static_cast<component::certificates::IQNCertificate*>(signerCertificate.get()),
                    1, 1, result.out()),
        kCannotSign);
    EXPECT_EQ(errorDescription(), "No se ha podido firmar el PDF.");
    std::string ranges = bytesOf(inner.get());
    EXPECT_EQ(ranges.compare(0, original.size(), original), 0);
    EXPECT_GT(ranges.size(), original.size());
    EXPECT_EQ(ranges.find("<0000"), std::string::npos) << "the placeholder is not signed";
}

TEST_F(QPASignerTest, SiblingsThatCannotBeCreatedAreReported) {
    // Without the module's classes nothing can be created by ProgID.
    module::Module::unregisterClasses();
    com::ComPtr<component::pdf::QPASigner> signer = component::pdf::QPASigner::create();
    com::ComPtr<content::QNContent> document = content::QNContent::create();
    document->content().replace(onePagePdf());
    com::ComPtr<content::QNContent> image = content::QNContent::create();
    com::ComPtr<IDispatch> result;
    EXPECT_EQ(
        signer->sign(nullptr, 0, 0, 0, 0, 0, nullptr, 0, image.get(), document.get(),
                     static_cast<component::certificates::IQNCertificate*>(signerCertificate.get()),
                     1, 1, result.out()),
        kCreate);
    EXPECT_EQ(errorDescription(), "Error creando componente de Quillion.");
    EXPECT_FALSE(result);
    EXPECT_NE(logText().find("ERROR: Error creando componente de Quillion2.PdfSign"),
              std::string::npos);
    EXPECT_EQ(signer->load(document.get()), S_FALSE);
}

} // namespace

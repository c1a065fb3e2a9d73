#include "PdfTestSupport.h"

#include "component/pdf/CBRawPdf.h"
#include "component/pdf/CPdfSign.h"
#include "component/pdf/PdfParseException.h"
#include "stream/Base64.h"
#include "stream/Log.h"
#include "stream/LogLevel.h"
#include "stream/RawCodecs.h"

using namespace component::pdf;

namespace {

class PdfLogLines : public pdftest::PdfTest {};

} // namespace

TEST_F(PdfLogLines, EngineWritesItsLines) {
    std::string logFile = path("QuillionCOM.log").string();
    stream::Log::instance().open(logFile, "pdf_tests", stream::LOG_ALL);
    std::string document = pdftest::makeSimplePdf();
    std::string base64 = stream::Base64::encode(document);
    {
        CPdfSign engine([](const std::string&) { return std::string(); });
        ASSERT_TRUE(engine.LoadPdfPtrBase64(base64));
        ASSERT_TRUE(engine.CreateSignature(1, 0, 0, 10, 10, u"", "x", "", 10, 0, true));
        EXPECT_EQ(engine.GetObjPag(9), nullptr);
        CBRawPdf raw;
        raw.Open(std::string_view("(abc"));
        std::string token;
        EXPECT_THROW(raw.ReadToken(token, true), PdfParseException);
    }
    stream::Log::instance().close();
    std::string log = pdftest::readFile(logFile);
    for (const std::string& line : {
             "CBRawPdf:: Tamaño= " + std::to_string(stream::base64DecodeRawEstimate(base64)),
             std::string("CBRawPdf:: Se copia el contenido"),
             std::string("CBPdf::OpenBase64()  :: Es un PDF"),
             std::string("CBPdf::GetXref()  :: Registrando objeto."),
             std::string("CPdfSign::LoadDicSigns()  :: Entrando."),
             std::string("CPdfSign::CreateSignature()  :: ============ Generando estructura para "
                         "albergar firma  ============"),
             std::string("CPdfSign::AddFieldInAcroForm()  :: No existe AcroForm, se creara uno "
                         "nuevo"),
             std::string("CPdfSign::CreateSignatureDictionary()  :: Saliendo"),
             std::string("CPdfSign::CreateAparence()  :: Agregamos tamaño del stream"),
             std::string("CBPdf::GotoReference()  :: Ir a la referencia 2 0 R"),
             std::string("CPdfSign::GetObjPag()  :ERROR: La pagina no existe."),
             std::string("CBPdfArray::Add()  :: Anadiendo objeto."),
             std::string("Unterminated string."),
         }) {
        EXPECT_NE(log.find(line), std::string::npos) << line;
    }
    EXPECT_EQ(log.find("CPdfSign::CreateAparence()  :: Agregando Imagen"), std::string::npos);
}

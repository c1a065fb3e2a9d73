// The builders of the visible signature: widget annotation, appearance, font and image.
#include "component/pdf/CPdfSign.h"

#include "component/pdf/CBPdfArray.h"
#include "component/pdf/CBPdfDictionary.h"
#include "component/pdf/CBPdfReference.h"
#include "component/pdf/CBPdfStream.h"
#include "component/pdf/CBPdfValue.h"
#include "component/pdf/PdfBase64.h"
#include "component/pdf/PdfLog.h"
#include "component/pdf/PdfNumbers.h"
#include "component/pdf/PdfText.h"
#include "platform/picture/CPicture.h"

#include <cmath>
#include <cstdlib>
#include <exception>

namespace component::pdf {

namespace {

std::unique_ptr<CBPdfValue> value(CBPdfObject* parent, std::string text) {
    return std::make_unique<CBPdfValue>(parent, std::move(text));
}

std::unique_ptr<CBPdfReference> reference(CBPdfObject* parent, int64_t number) {
    return std::make_unique<CBPdfReference>(parent, fmtReference(number, 0));
}

void annotationTrace(const char* step) {
    pdfInfo(std::string("CPdfSign::CreateAnnotation()  :: ") + step);
}

} // namespace

std::string CPdfSign::fieldNameForNewSignature() {
    try {
        if (signatures_.empty()) {
            return "(Signature1)";
        }
        std::string last = GetFieldName(static_cast<int32_t>(signatures_.size()) - 1);
        while (!last.empty() && last.back() == ')') {
            last.pop_back();
        }
        last.erase(0, std::min<size_t>(10, last.size()));
        int64_t next = static_cast<int64_t>(pdfAtol(last)) + 1;
        if (next > INT32_MAX) {
            next = INT32_MAX;
        }
        return "(Signature" + fmtInt(next) + ")";
    } catch (const std::exception&) {
        return "(Signature)";
    }
}

std::unique_ptr<CBPdfDictionary> CPdfSign::CreateAnnotation(int32_t pageNumber,
                                                            int32_t signatureNumber,
                                                            int32_t appearanceNumber, int32_t x1,
                                                            int32_t y1, int32_t x2, int32_t y2) {
    annotationTrace("Entrando");
    auto annotation = std::make_unique<CBPdfDictionary>(nullptr);
    CBPdfDictionary* a = annotation.get();
    annotationTrace("Agregando Tipo");
    a->Add("/Type", value(a, "/Annot"));
    annotationTrace("Agregando SubTipo");
    a->Add("/Subtype ", value(a, "/Widget"));
    annotationTrace("Agregando /FT");
    a->Add("/FT ", value(a, "/Sig"));
    annotationTrace("Creando tamano y posicion de ventana");
    auto rect = std::make_unique<CBPdfArray>(a);
    for (int32_t coordinate : {x1, y1, x2, y2}) {
        rect->Add(value(a, fmtInt(coordinate)));
    }
    a->Add("/Rect", std::move(rect));
    annotationTrace("Apuntando obejto padre");
    a->Add("/P", reference(a, pageNumber));
    annotationTrace("Agregando FielName");
    a->Add("/T ", value(a, fieldNameForNewSignature()));
    annotationTrace("Agregando el Diccionario de Firma /V");
    a->Add("/V", reference(a, signatureNumber));
    annotationTrace("Activamos Flags");
    a->Add("/F ", value(a, "132"));
    annotationTrace("Agregando Apariencia");
    auto appearance = std::make_unique<CBPdfDictionary>(a);
    appearance->Add("/N", reference(appearance.get(), appearanceNumber));
    a->Add("/AP", std::move(appearance));
    annotationTrace("Saliendo");
    return annotation;
}

std::unique_ptr<CBPdfStream> CPdfSign::CreateAparence(int32_t fontNumber, int32_t imageNumber,
                                                      const std::string& text, int32_t fontSize,
                                                      int32_t angle, int32_t width,
                                                      int32_t height) {
    auto trace = [](const char* step) {
        pdfInfo(std::string("CPdfSign::CreateAparence()  :: ") + step);
    };
    trace("Entrando");
    int32_t size = (fontSize >= 1 && fontSize <= 4999) ? fontSize : 10;
    int64_t boxWidth = width;
    int64_t boxHeight = height;
    if (angle > 45) {
        std::swap(boxWidth, boxHeight);
    }
    std::string w = fmtInt(std::llabs(boxWidth));
    std::string h = fmtInt(std::llabs(boxHeight));

    std::string content;
    if (imageNumber != 0) {
        content += "q\r\n" + w + " 0 0 " + h + " 0 0 cm\r\n/img0 Do\r\nQ\r\n";
    }
    content += "BT\r\n/TF1 " + fmtInt(size) + " Tf 25 60 Td\r\n(" + text + ") Tj\r\nET";

    auto stream =
        std::make_unique<CBPdfStream>(nullptr, std::make_unique<CBPdfDictionary>(nullptr));
    stream->SetData(content);
    CBPdfDictionary* d = stream->GetDictionary();
    d->SetParent(stream.get());
    trace("Creando Tipo");
    d->Add("/Type", value(d, "/XObject"));
    trace("Creando SubTipo");
    d->Add("/Subtype", value(d, "/Form"));
    trace("Creando FormTipo");
    d->Add("/FormType", value(d, "1"));
    trace("Creando la Matriz");
    double a = static_cast<double>(angle) * 0.01745333333333333;
    auto matrix = std::make_unique<CBPdfArray>(d);
    for (double component : {std::cos(a), std::sin(a), -std::sin(a), std::cos(a)}) {
        matrix->Add(value(d, fmtFixed6(component)));
    }
    matrix->Add(value(d, "0"));
    matrix->Add(value(d, "0"));
    d->Add("/Matrix", std::move(matrix));
    trace("Creando BBox");
    auto box = std::make_unique<CBPdfArray>(d);
    box->Add(value(d, "0"));
    box->Add(value(d, "0"));
    box->Add(value(d, w));
    box->Add(value(d, h));
    d->Add("/BBox", std::move(box));
    trace("Agregando los recursos");
    auto resources = std::make_unique<CBPdfDictionary>(d);
    auto procSet = std::make_unique<CBPdfArray>(resources.get());
    procSet->Add(value(resources.get(), "/PDF /Text /ImageB /ImageC /ImageI"));
    resources->Add("/ProcSet", std::move(procSet));
    trace("Agregando Fuente");
    auto fonts = std::make_unique<CBPdfDictionary>(resources.get());
    fonts->Add("/TF1", reference(fonts.get(), fontNumber));
    resources->Add("/Font", std::move(fonts));
    if (imageNumber != 0) {
        trace("Agregando Imagen");
        auto images = std::make_unique<CBPdfDictionary>(resources.get());
        images->Add("/img0", reference(images.get(), imageNumber));
        resources->Add("/XObject", std::move(images));
    }
    d->Add("/Resources", std::move(resources));
    trace("Agregamos tamaño del stream");
    d->Add("/Length", value(d, fmtInt(static_cast<int64_t>(content.size()))));
    return stream;
}

std::unique_ptr<CBPdfDictionary> CPdfSign::CreatePdfFont(const std::string& fontName) {
    auto trace = [](const char* step) {
        pdfInfo(std::string("CPdfSign::CreatePdfFont()  :: ") + step);
    };
    static const char* const kStandardFonts[] = {
        "Courier",        "Courier-Bold",      "Courier-Oblique",       "Helvetica",
        "Helvetica-Bold", "Helvetica-Oblique", "Helvetica-BoldOblique", "Symbol",
        "Times-Roman",    "Times-Bold",        "Times-Italic",          "Times-BoldItalic",
        "ZapfDingbats"};
    trace("Entrando");
    std::string base = "/Helvetica";
    for (const char* name : kStandardFonts) {
        if (fontName == name) {
            base = std::string("/") + name;
        }
    }
    auto font = std::make_unique<CBPdfDictionary>(nullptr);
    trace("Creando PdfFont");
    font->Add("/Type", value(font.get(), "/Font"));
    trace("Creando SubTipo");
    font->Add("/Subtype", value(font.get(), "/Type1"));
    trace("Agregando codificacion");
    font->Add("/Encoding", value(font.get(), "/WinAnsiEncoding"));
    trace("Agregando BaseFont");
    font->Add("/BaseFont", value(font.get(), base));
    trace("Saliendo");
    return font;
}

std::unique_ptr<CBPdfStream> CPdfSign::CreateImg(std::u16string_view imageBase64) {
    pdfInfo("CPdfSign::CreateImg()  :: Entrando");
    pdfInfo("CPdfSign::CreateImg()  :: Cargando imagen");
    imageBytes_ = PdfBase64::decode(PdfText::toWindows1252(imageBase64));
    const auto* bytes = reinterpret_cast<const unsigned char*>(imageBytes_.data());
    platform::CPicture picture;
    picture.Load(bytes, imageBytes_.size());
    auto stream =
        std::make_unique<CBPdfStream>(nullptr, std::make_unique<CBPdfDictionary>(nullptr));
    CBPdfDictionary* d = stream->GetDictionary();
    d->SetParent(stream.get());
    if (picture.GetType() != platform::CPicture::kJpeg) {
        pdfError("CPdfSign::CreateImg()  :: La imagen no es jpg, no se agregara a la firma.");
        return stream;
    }
    pdfInfo("CPdfSign::CreateImg()  :: El tipo de la imagen corresponde con jpg.");
    pdfInfo("CPdfSign::CreateImg()  :: Agregamos valores");
    stream->SetRawData(bytes, imageBytes_.size());
    d->Add("/Length", value(d, fmtInt(static_cast<int64_t>(imageBytes_.size()))));
    d->Add("/Subtype", value(d, "/Image"));
    d->Add("/Width", value(d, fmtInt(picture.GetWidth())));
    d->Add("/Height", value(d, fmtInt(picture.GetHeight())));
    d->Add("/BitsPerComponent", value(d, "8"));
    d->Add("/Type", value(d, "/XObject"));
    d->Add("/ColorSpace", value(d, "/DeviceRGB"));
    d->Add("/Filter", value(d, "/DCTDecode"));
    return stream;
}

} // namespace component::pdf

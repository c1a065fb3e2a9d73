// Construction of a signature field as an incremental update, and insertion of its value.
#include "component/pdf/CPdfSign.h"

#include "component/pdf/CBPdfArray.h"
#include "component/pdf/CBPdfDictionary.h"
#include "component/pdf/CBPdfReference.h"
#include "component/pdf/CBPdfStream.h"
#include "component/pdf/CBPdfValue.h"
#include "component/pdf/CBPdfXrefStream.h"
#include "component/pdf/CBPdfXrefTable.h"
#include "component/pdf/PdfBase64.h"
#include "component/pdf/PdfLog.h"
#include "component/pdf/PdfNumbers.h"
#include "component/pdf/PdfText.h"
#include "platform/picture/CPicture.h"
#include "stream/StringUtil.h"

#include <algorithm>
#include <cctype>
#include <ctime>
#include <limits>

namespace component::pdf {

namespace {

constexpr int32_t kDefaultReservedDigits = 9472;

std::unique_ptr<CBPdfValue> value(CBPdfObject* parent, std::string text) {
    return std::make_unique<CBPdfValue>(parent, std::move(text));
}

std::string objectHeader(int32_t number) {
    return fmtInt(number) + " 0 obj\r\n";
}

void writeObject(std::string& out, int32_t number, const CBPdfObject& object) {
    out += objectHeader(number);
    if (object.GetTypeName() == "Stream") {
        static_cast<const CBPdfStream&>(object).WriteTo(out);
    } else {
        object.AppendTo(out);
    }
    out += "endobj\r\n";
}

std::string pad2(int value) {
    std::string text = fmtInt(value);
    return text.size() < 2 ? "0" + text : text;
}

std::string signingTime() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    std::string year = fmtInt(local.tm_year + 1900);
    while (year.size() < 4) {
        year.insert(0, "0");
    }
    return "(D:" + year + pad2(local.tm_mon + 1) + pad2(local.tm_mday) + pad2(local.tm_hour) +
           pad2(local.tm_min) + pad2(local.tm_sec) + ")";
}

void trace(const char* method, const char* step) {
    pdfInfo(std::string("CPdfSign::") + method + "()  :: " + step);
}

} // namespace

int32_t CPdfSign::reservedDigits() {
    std::string setting = settings_("PDF_INTERNAL_PKCS7_SIZE");
    if (setting.empty()) {
        return kDefaultReservedDigits;
    }
    return pdfAtol(setting);
}

std::unique_ptr<CBPdfDictionary> CPdfSign::CreateSignatureDictionary(const std::string& name,
                                                                     int64_t start) {
    const char* m = "CreateSignatureDictionary";
    trace(m, "Entrando");
    auto sd = std::make_unique<CBPdfDictionary>(nullptr);
    CBPdfDictionary* d = sd.get();
    trace(m, "Creando la fecha");
    d->Add("/M", value(d, signingTime()));
    trace(m, "Creando la Type");
    d->Add("/Type", value(d, "/Sig"));
    trace(m, "Creando Nombre");
    d->Add("/Name", value(d, "(" + name + ")"));
    trace(m, "Creando Filtro");
    d->Add("/Filter", value(d, "/Adobe.PPKMS"));
    trace(m, "Creando SubFiltro");
    bool pades = stream::StringUtil::toUpperCase(settings_("PDF_SIGNATURE_FORMAT")) == "MT_PADES";
    d->Add("/SubFilter", value(d, pades ? "/ETSI.CAdES.detached" : "/adbe.pkcs7.detached"));
    trace(m, "Agregando contenido inicializado a 0 ascci");
    std::string setting = settings_("PDF_INTERNAL_PKCS7_SIZE");
    if (!setting.empty()) {
        pdfInfo("CPdfSign::CreateSignatureDictionary()  :: Se cambia el tamaño reservado para la "
                "firma: " +
                setting);
    }
    int32_t digits = reservedDigits();
    placeholderLength_ = digits > 0 ? digits : 0;
    placeholderOffset_ = start + static_cast<int64_t>(d->GetStringSize()) + 6;
    std::string contents = "<";
    contents.append(static_cast<size_t>(placeholderLength_), '0');
    contents += '>';
    d->Add("/Contents", value(d, std::move(contents)));
    trace(m, "Creando ByteRange");
    int64_t afterContents = start + static_cast<int64_t>(d->GetStringSize()) - 4;
    auto ranges = std::make_unique<CBPdfArray>(d);
    ranges->Add(value(d, "0"));
    auto second = value(d, fmtInt(placeholderOffset_));
    auto third = value(d, fmtInt(afterContents));
    auto fourth = value(d, "0");
    placeholderValues_[0] = second.get();
    placeholderValues_[1] = third.get();
    placeholderValues_[2] = fourth.get();
    ranges->Add(std::move(second));
    ranges->Add(std::move(third));
    ranges->Add(std::move(fourth));
    d->Add("/ByteRange", std::move(ranges));
    trace(m, "Saliendo");
    return sd;
}

std::unique_ptr<CBPdfDictionary> CPdfSign::CreateTrailerDictionary(int32_t signatureNumber) {
    const char* m = "CreateTrailerDictionary";
    trace(m, "Entrando");
    auto trailer = std::make_unique<CBPdfDictionary>(nullptr);
    CBPdfDictionary* t = trailer.get();
    trace(m, "Creando Root");
    int32_t catalogNumber = catalog_ ? catalog_->GetObjectNumber() : 0;
    t->Add("/Root", std::make_unique<CBPdfReference>(t, fmtReference(catalogNumber, 0)));
    trace(m, "Creando Size");
    t->Add("/Size", value(t, fmtInt(static_cast<int64_t>(signatureNumber) + 1)));
    trace(m, "Creando Prev");
    t->Add("/Prev", value(t, fmtInt(reader_.GetStartXref())));
    trace(m, "Saliendo");
    return trailer;
}

std::unique_ptr<CBPdfDictionary> CPdfSign::CreateAcroForm() {
    const char* m = "CreateAcroForm";
    trace(m, "Agregando FielName");
    auto acroForm = std::make_unique<CBPdfDictionary>(catalogDictionary_);
    trace(m, "Agregando SigFlags");
    acroForm->Add("/SigFlags", value(acroForm.get(), "3"));
    trace(m, "Agregando Fiels");
    acroForm->Add("/Fields", std::make_unique<CBPdfArray>(acroForm.get()));
    trace(m, "Saliendo");
    return acroForm;
}

CBPdfObject* CPdfSign::AddFieldInAcroForm(int32_t annotationNumber) {
    pdfInfo("CPdfSign::AddFieldInAcroForm()  :: Entrando");
    if (acroForm_ == nullptr) {
        if (catalogDictionary_ == nullptr || catalogDictionary_->Lookup("/AcroForm") != nullptr) {
            // No catalog, or an /AcroForm entry that does not lead to a dictionary.
            pdfError("CPdfSign::AddFieldInAcroForm()  :ERROR: No se ha encontrado objeto padre "
                     "al cual pertenece el nuevo Field");
            return nullptr;
        }
        pdfInfo("CPdfSign::AddFieldInAcroForm()  :: No existe AcroForm, se creara uno nuevo");
        auto created = CreateAcroForm();
        acroForm_ = created.get();
        catalogDictionary_->Add("/AcroForm", std::move(created));
    }
    CBPdfObject* fieldsObject = nullptr;
    CBPdfArray* fields = nullptr;
    if (GetValueOfDictionary(acroForm_, "/Fields", fieldsObject)) {
        pdfInfo("CPdfSign::AddFieldInAcroForm()  :: Insertando nueva entrada");
        fields = GetArray(fieldsObject, acroForm_);
    } else {
        pdfError("CPdfSign::AddFieldInAcroForm()  :ERROR: No se puede agregar elemento por que "
                 "no se encontró el key /Fields del AcroForm");
        return nullptr;
    }
    if (fields == nullptr) {
        return nullptr;
    }
    for (CBPdfObject* object = fields; object != nullptr; object = object->GetParent()) {
        if (object->GetObjectNumber() != 0) {
            fields->Add(std::make_unique<CBPdfReference>(fields->GetParent(),
                                                         fmtReference(annotationNumber, 0)));
            return object;
        }
    }
    pdfError("CPdfSign::AddFieldInAcroForm()  :ERROR: No se ha encontrado objeto padre al cual "
             "pertenece el nuevo Field");
    return nullptr;
}

CBPdfDictionary* CPdfSign::AddAnnotInPage(CBPdfDictionary* page, int32_t annotationNumber) {
    pdfInfo("CPdfSign::AddAnnotInPage()  :: Entrando");
    if (page->Lookup("/Annots") == nullptr) {
        page->Add("/Annots", std::make_unique<CBPdfArray>(page));
    }
    CBPdfObject* annotsObject = nullptr;
    GetValueOfDictionary(page, "/Annots", annotsObject);
    CBPdfArray* annots = GetArray(annotsObject, page);
    if (annots == nullptr) {
        return nullptr; // an /Annots entry that is not an array cannot take the widget
    }
    annots->Add(std::make_unique<CBPdfReference>(page, fmtReference(annotationNumber, 0)));
    // Take the array out of whatever held it (the entry itself or the reference that was
    // resolved to it) and put it back as the page's last, direct entry.
    std::unique_ptr<CBPdfObject> entry = page->Remove("/Annots");
    std::unique_ptr<CBPdfObject> array;
    for (CBPdfObject* holder = entry.get(); holder != nullptr;) {
        if (holder == annots) {
            array = holder == entry.get() ? std::move(entry) : nullptr;
            break;
        }
        if (holder->GetTypeName() != "Reference") {
            break;
        }
        const int32_t number = static_cast<CBPdfReference*>(holder)->GetNumber();
        CBPdfObject* target = reader_.Fetched(number);
        if (target == annots) {
            array = reader_.Extract(number);
            break;
        }
        holder = target;
    }
    if (!array) {
        return nullptr;
    }
    annots->SetParent(page);
    annots->SetObjectNumber(0);
    page->Add("/Annots", std::move(array));
    return page;
}

std::vector<std::pair<uint32_t, unsigned char>> CPdfSign::invalidationEdits() {
    std::vector<std::pair<uint32_t, unsigned char>> edits;
    const std::string& document = reader_.GetPdf();
    for (CBPdfDictionary* signature : signatures_) {
        // A signature dictionary inside an object stream has no bytes of its own in the
        // document to change (and a rewritten document has already broken its byte range).
        const CBPdfObject* holder = signature;
        while (holder != nullptr && holder->GetObjectNumber() == 0) {
            holder = holder->GetParent();
        }
        if (holder == nullptr || reader_.IsCompressed(holder->GetObjectNumber())) {
            continue;
        }
        CBPdfObject* object = nullptr;
        if (!GetValueOfDictionary(signature, "/ByteRange", object)) {
            continue;
        }
        CBPdfArray* ranges = GetArray(object, signature);
        if (ranges == nullptr || ranges->GetSize() < 4) {
            continue;
        }
        size_t p = ranges->GetElement(3)->GetPosition();
        while (p < document.size() && (document[p] < '0' || document[p] > '9')) {
            ++p;
        }
        if (p < document.size()) {
            edits.emplace_back(static_cast<uint32_t>(p), document[p] == '0' ? '1' : '0');
        }
    }
    return edits;
}

void CPdfSign::restoreDocument(const Snapshot& before, std::string& spare) {
    // The bytes are where the failed call left them: still in the reader, or (when the
    // updated document could not be opened) in spare. Cutting the update off and putting the
    // overwritten bytes back gives the document exactly as it was.
    std::string bytes = reader_.IsOpen() ? reader_.TakePdf() : std::move(spare);
    resetDocument();
    if (bytes.size() < before.size) {
        return; // nothing left to restore (the document was lost before the failure)
    }
    bytes.resize(before.size);
    for (const auto& [position, byte] : before.overwritten) {
        bytes[position] = static_cast<char>(byte);
    }
    if (reader_.Open(std::move(bytes))) {
        LoadDicSigns();
    }
    placeholderOffset_ = before.placeholderOffset;
    placeholderLength_ = before.placeholderLength;
}

bool CPdfSign::CreateSignature(int32_t page, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                               std::u16string_view imageBase64, const std::string& name,
                               const std::string& font, int32_t fontSize, int32_t angle, bool add) {
    pdfInfo("CPdfSign::CreateSignature()  :: ============ Generando estructura para albergar "
            "firma  ============");
    if (!reader_.IsOpen()) {
        pdfError("CPdfSign::CreateSignature()  :: No se ha cargado el PDF");
        return false;
    }
    bool useImage = false;
    if (!imageBase64.empty()) {
        std::string bytes = PdfBase64::decode(PdfText::toWindows1252(imageBase64));
        platform::CPicture picture;
        picture.Load(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
        useImage = picture.GetType() == platform::CPicture::kJpeg;
    }
    pdfInfo("CPdfSign::CreateSignature()  :: Actualizando obejtos");
    std::vector<std::pair<uint32_t, unsigned char>> edits;
    if (!add) {
        edits = invalidationEdits();
    }
    Snapshot before{reader_.GetSize(), {}, placeholderOffset_, placeholderLength_};
    const std::string& document = reader_.GetPdf();
    for (const auto& edit : edits) {
        before.overwritten.emplace_back(edit.first,
                                        static_cast<unsigned char>(document[edit.first]));
    }
    std::string spare;
    bool built = false;
    try {
        built = buildUpdate(page, x1, y1, x2, y2, imageBase64, useImage, name, font, fontSize,
                            angle, edits, spare);
    } catch (...) {
        try {
            restoreDocument(before, spare);
        } catch (...) {
        }
        throw;
    }
    if (!built) {
        restoreDocument(before, spare);
    }
    return built;
}

bool CPdfSign::buildUpdate(int32_t page, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                           std::u16string_view imageBase64, bool useImage, const std::string& name,
                           const std::string& font, int32_t fontSize, int32_t angle,
                           const std::vector<std::pair<uint32_t, unsigned char>>& edits,
                           std::string& document) {
    const int64_t l0 = reader_.GetSize();
    const int32_t highest = reader_.GetMaxObjectNumber();
    if (highest > std::numeric_limits<int32_t>::max() - 8 || catalogDictionary_ == nullptr) {
        return false;
    }
    // After a cross-reference stream the update ends with one of its own; new numbers then
    // also start at the previous /Size, past any free entries at the end of the numbering.
    const bool streamForm = reader_.NewestSectionIsStream();
    int64_t firstFree = static_cast<int64_t>(highest) + 1;
    const auto* previousTrailer = trailer_ && trailer_->GetTypeName() == "Dictionary"
                                      ? static_cast<const CBPdfDictionary*>(trailer_.get())
                                      : nullptr;
    if (streamForm && previousTrailer != nullptr) {
        if (const CBPdfObject* size = previousTrailer->Lookup("/Size")) {
            firstFree = std::max<int64_t>(firstFree, pdfAtol(size->ToString()));
        }
    }
    if (firstFree > std::numeric_limits<int32_t>::max() - 7) {
        return false;
    }
    const int32_t k = static_cast<int32_t>(firstFree);
    const int32_t sdNumber = useImage ? k + 4 : k + 3;
    if (reservedDigits() > std::numeric_limits<int32_t>::max() - l0) {
        // A placeholder that cannot fit in a document addressed with 32-bit offsets is never
        // allocated.
        pdfError("CPdfSign::CreateSignature()  :ERROR: El tamaño reservado para la firma no "
                 "cabe en el documento.");
        return false;
    }

    pdfInfo("CPdfSign::CreateSignature()  :: Actualizando AcroForm");
    CBPdfObject* holder = AddFieldInAcroForm(k);
    if (holder == nullptr) {
        return false;
    }
    struct Placed {
        int32_t number;
        const CBPdfObject* object;
        int64_t offset;
    };
    std::vector<Placed> placed;
    int64_t offset = l0;
    auto place = [&](int32_t number, const CBPdfObject* object) {
        placed.push_back({number, object, offset});
        offset += static_cast<int64_t>(objectHeader(number).size() + object->GetStringSize()) + 8;
    };
    place(holder->GetObjectNumber(), holder);

    pdfInfo("CPdfSign::CreateSignature()  :: Actualizando pagina con la firma");
    CBPdfDictionary* pageObject = GetObjPag(page);
    if (pageObject == nullptr || pageObject->GetObjectNumber() == 0 ||
        pageObject->GetObjectNumber() == holder->GetObjectNumber()) {
        return false;
    }
    if (AddAnnotInPage(pageObject, k) == nullptr) {
        return false;
    }
    place(pageObject->GetObjectNumber(), pageObject);

    pdfInfo("CPdfSign::CreateSignature()  :: Creación de nuevos objetos");
    auto annotation =
        CreateAnnotation(pageObject->GetObjectNumber(), sdNumber, k + 1, x1, y1, x2, y2);
    place(k, annotation.get());
    auto appearance = CreateAparence(k + 2, useImage ? k + 3 : 0, name, fontSize, angle,
                                     static_cast<int32_t>(static_cast<int64_t>(x1) - x2),
                                     static_cast<int32_t>(static_cast<int64_t>(y1) - y2));
    place(k + 1, appearance.get());
    auto fontObject = CreatePdfFont(font);
    place(k + 2, fontObject.get());
    std::unique_ptr<CBPdfStream> image;
    if (useImage) {
        image = CreateImg(imageBase64);
        place(k + 3, image.get());
    }
    const int64_t sdOffset = offset;
    const int64_t sdStart = sdOffset + static_cast<int64_t>(objectHeader(sdNumber).size());
    auto signature = CreateSignatureDictionary(name, sdStart);
    placed.push_back({sdNumber, signature.get(), sdOffset});

    // The section that ends the update: a table and its trailer, or a cross-reference stream
    // object (its own entry included) whose size does not depend on the offsets it lists.
    std::unique_ptr<CBPdfDictionary> trailer;
    CBPdfXrefTable xref;
    CBPdfXrefStream xrefStream;
    std::unique_ptr<CBPdfStream> xrefObject;
    const int32_t xrefNumber = sdNumber + 1;
    int64_t sectionSize = 0;
    if (streamForm) {
        for (const Placed& item : placed) {
            xrefStream.AddEntry(item.number, item.offset);
        }
        xrefStream.AddEntry(xrefNumber, 0);
        xrefObject = xrefStream.Build(previousTrailer, static_cast<int64_t>(xrefNumber) + 1,
                                      reader_.GetStartXref());
        sectionSize =
            static_cast<int64_t>(objectHeader(xrefNumber).size() + xrefObject->GetStringSize()) + 8;
    } else {
        trailer = CreateTrailerDictionary(sdNumber);
        xref.AddSubsection(placed[0].number).AddEntry(placed[0].offset);
        xref.AddSubsection(placed[1].number).AddEntry(placed[1].offset);
        CBPdfXrefSubsection& created = xref.AddSubsection(k);
        for (size_t i = 2; i < placed.size(); ++i) {
            created.AddEntry(placed[i].offset);
        }
        sectionSize = static_cast<int64_t>(xref.GetStringSize()) + 9 +
                      static_cast<int64_t>(trailer->GetStringSize());
    }

    // Close the byte range: the fourth /ByteRange number depends on the file length, which
    // depends on the digits of that number.
    int64_t x = 0;
    auto totalLength = [&] {
        x = sdStart + static_cast<int64_t>(signature->GetStringSize()) + 8;
        return x + sectionSize + 11 + static_cast<int64_t>(fmtInt(x).size()) + 2 + 7;
    };
    int64_t total = totalLength();
    CBPdfValue* third = placeholderValues_[1];
    CBPdfValue* fourth = placeholderValues_[2];
    for (int round = 0;
         round < 16 &&
         static_cast<int64_t>(pdfAtol(third->GetText())) + pdfAtol(fourth->GetText()) != total;
         ++round) {
        fourth->SetText(fmtInt(total - pdfAtol(third->GetText())));
        total = totalLength();
    }
    if (total > std::numeric_limits<int32_t>::max() ||
        static_cast<int64_t>(pdfAtol(third->GetText())) + pdfAtol(fourth->GetText()) != total) {
        return false;
    }
    xref.SetOffset(x);
    if (streamForm) {
        xrefStream.SetOffset(xrefNumber, x);
        xrefObject = xrefStream.Build(previousTrailer, static_cast<int64_t>(xrefNumber) + 1,
                                      reader_.GetStartXref());
    }

    pdfInfo("CPdfSign::CreateSignature()  :: Actualizando cambios del pdf en memoria.");
    std::string appended;
    appended.reserve(static_cast<size_t>(total - l0));
    for (const Placed& item : placed) {
        writeObject(appended, item.number, *item.object);
    }
    if (streamForm) {
        writeObject(appended, xrefNumber, *xrefObject);
    } else {
        appended += xref.ToString();
        appended += "trailer\r\n";
        trailer->AppendTo(appended);
    }
    appended += "startxref\r\n";
    appended += fmtInt(x) + "\r\n";
    appended += "%%EOF\r\n";

    const int64_t newOffset = placeholderOffset_;
    const int64_t newLength = placeholderLength_;
    document = reader_.TakePdf();
    for (const auto& [position, byte] : edits) {
        document[position] = static_cast<char>(byte);
    }
    document.reserve(static_cast<size_t>(total));
    document += appended;
    std::string().swap(appended);
    for (auto& v : placeholderValues_) {
        v = nullptr;
    }
    signature.reset();
    resetDocument();
    if (static_cast<int64_t>(document.size()) != total || !reader_.Open(std::move(document))) {
        return false;
    }
    LoadDicSigns();
    placeholderOffset_ = newOffset;
    placeholderLength_ = newLength;
    return true;
}

CPdfSign::InsertResult CPdfSign::InsertSign(std::string_view signatureHex) {
    pdfInfo("CPdfSign::InsertSign()  :: ============  Insertando firma en PDF.");
    if (!reader_.IsOpen()) {
        pdfError("CPdfSign::InsertSign()  :ERROR: No se ha cargado el PDF.");
        return InsertResult::NotLoaded;
    }
    int64_t limit = reservedDigits();
    if (static_cast<int64_t>(signatureHex.size()) > limit ||
        static_cast<int64_t>(signatureHex.size()) > placeholderLength_) {
        pdfError("CPdfSign::InsertSign()  :ERROR: El contenido de la firma es superior al "
                 "tamaño permitido.");
        return InsertResult::Refused;
    }
    if (placeholderOffset_ < 0) {
        pdfError("CPdfSign::InsertSign()  :ERROR: No se ha creado ninguna firma en este PDF.");
        return InsertResult::Refused;
    }
    // Only hexadecimal digits, whole bytes, go into the placeholder: anything else would end
    // the string early and write into the signature dictionary.
    if (signatureHex.size() % 2 != 0) {
        pdfError("CPdfSign::InsertSign()  :ERROR: La firma debe tener un número par de dígitos "
                 "hexadecimales.");
        return InsertResult::Refused;
    }
    for (char c : signatureHex) {
        if (!std::isxdigit(static_cast<unsigned char>(c))) {
            pdfError("CPdfSign::InsertSign()  :ERROR: La firma contiene caracteres que no son "
                     "dígitos hexadecimales.");
            return InsertResult::Refused;
        }
    }
    if (!reader_.SetMem(reinterpret_cast<const unsigned char*>(signatureHex.data()),
                        static_cast<uint32_t>(placeholderOffset_ + 1),
                        static_cast<uint32_t>(signatureHex.size()))) {
        return InsertResult::Refused;
    }
    // The parsed /Contents of the filled signature follows the bytes it was read from.
    if (!signatures_.empty()) {
        CBPdfValue* contents = GetContents(static_cast<int32_t>(signatures_.size()) - 1);
        const std::string& document = reader_.GetPdf();
        if (contents != nullptr && contents->GetPosition() <= placeholderOffset_ &&
            static_cast<size_t>(placeholderOffset_ + placeholderLength_ + 2) <= document.size()) {
            contents->SetText(document.substr(static_cast<size_t>(placeholderOffset_),
                                              static_cast<size_t>(placeholderLength_ + 2)));
        }
    }
    return InsertResult::Written;
}

} // namespace component::pdf

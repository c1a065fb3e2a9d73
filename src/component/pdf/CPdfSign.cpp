#include "component/pdf/CPdfSign.h"

#include "component/pdf/CBPdfArray.h"
#include "component/pdf/CBPdfDictionary.h"
#include "component/pdf/CBPdfReference.h"
#include "component/pdf/CBPdfStream.h"
#include "component/pdf/CBPdfValue.h"
#include "component/pdf/PdfLog.h"
#include "component/pdf/PdfNumbers.h"

#include <unordered_set>

namespace component::pdf {

namespace {

// A chain of references to references longer than this is treated as unresolvable.
constexpr int kMaxHops = 32;
// Page tree levels beyond this are treated as a cycle.
constexpr int kMaxTreeDepth = 256;

} // namespace

CPdfSign::CPdfSign(PdfSettingsReader settings) : settings_(std::move(settings)) {}

CPdfSign::~CPdfSign() = default;

void CPdfSign::resetDocument() {
    signatures_.clear();
    acroForm_ = nullptr;
    catalogDictionary_ = nullptr;
    catalog_ = nullptr;
    trailer_.reset();
    placeholderOffset_ = -1;
    placeholderLength_ = 0;
    for (auto& value : placeholderValues_) {
        value = nullptr;
    }
}

void CPdfSign::Unload() {
    resetDocument();
    reader_.Close();
}

bool CPdfSign::LoadPdfPtr(std::string_view bytes) {
    pdfInfo("CPdfSign::LoadPdfPtr()  :: Entrando.");
    resetDocument();
    if (!reader_.Open(bytes)) {
        return false;
    }
    LoadDicSigns();
    return true;
}

// Base64 text arrives narrow, as UTF-16 (straight from a BSTR) or already decoded; all load
// the same way.
template <typename Text> bool CPdfSign::loadBase64Text(Text text) {
    pdfInfo("CPdfSign::LoadPdfPtrBase64()  :: Entrando.");
    resetDocument();
    if (!reader_.OpenBase64(text)) {
        return false;
    }
    LoadDicSigns();
    return true;
}

bool CPdfSign::LoadPdfPtrBase64(std::string_view text) {
    return loadBase64Text(text);
}

bool CPdfSign::LoadPdfPtrBase64(std::u16string_view text) {
    return loadBase64Text(text);
}

bool CPdfSign::LoadPdfPtrBase64(Base64Decoded decoded) {
    return loadBase64Text(decoded);
}

void CPdfSign::LoadDicSigns() {
    pdfInfo("CPdfSign::LoadDicSigns()  :: Entrando.");
    if (!reader_.IsOpen()) {
        pdfError("CPdfSign::LoadDicSigns()  :ERROR: No se ha cargado el PDF");
        return;
    }
    signatures_.clear();
    acroForm_ = nullptr;
    catalogDictionary_ = nullptr;
    catalog_ = nullptr;
    reader_.StartTrailer();
    trailer_ = reader_.GetObject(nullptr);
    if (trailer_->GetTypeName() == "Stream") {
        // The newest section is a cross-reference stream: its dictionary is the trailer.
        std::unique_ptr<CBPdfObject> dictionary =
            static_cast<CBPdfStream*>(trailer_.get())->ReleaseDictionary();
        trailer_ = std::move(dictionary);
    }
    if (!trailer_ || trailer_->GetTypeName() != "Dictionary") {
        pdfError("CPdfSign::LoadDicSigns()  :ERROR: No se encontro el Trailer.");
        return;
    }
    CBPdfObject* root = nullptr;
    if (!static_cast<CBPdfDictionary*>(trailer_.get())->Lookup("/Root", root)) {
        pdfError("CPdfSign::LoadDicSigns()  :ERROR: No se encontro el key /Root del Trailer.");
        return;
    }
    std::string rootText = root->ToString();
    catalog_ = reader_.Fetch(rootText, nullptr);
    if (catalog_ == nullptr) {
        pdfError("CPdfSign::LoadDicSigns()  :ERROR: La dirección del objeto /Root no fue "
                 "encontrada.");
        return;
    }
    if (catalog_->GetTypeName() != "Dictionary") {
        return; // a catalog that is not a dictionary has no pages and no fields
    }
    catalogDictionary_ = static_cast<CBPdfDictionary*>(catalog_);
    CBPdfObject* acroForm = nullptr;
    if (!GetValueOfDictionary(catalogDictionary_, "/AcroForm", acroForm)) {
        return;
    }
    acroForm_ = GetDictionary(acroForm, catalogDictionary_);
    if (acroForm_ == nullptr) {
        return;
    }
    CBPdfObject* fieldsObject = nullptr;
    if (!GetValueOfDictionary(acroForm_, "/Fields", fieldsObject)) {
        return;
    }
    CBPdfArray* fields = GetArray(fieldsObject, acroForm_);
    if (fields == nullptr) {
        return;
    }
    // A field named twice in /Fields is one field.
    std::unordered_set<int32_t> seen;
    size_t count = fields->GetSize();
    for (size_t i = 0; i < count; ++i) {
        CBPdfObject* element = fields->GetElement(i);
        if (element->GetTypeName() != "Reference") {
            continue;
        }
        auto* reference = static_cast<CBPdfReference*>(element);
        if (!seen.insert(reference->GetNumber()).second) {
            continue;
        }
        CBPdfObject* field = reader_.Fetch(reference->GetText(), nullptr);
        if (field == nullptr || field->GetTypeName() != "Dictionary") {
            continue;
        }
        auto* fieldDictionary = static_cast<CBPdfDictionary*>(field);
        CBPdfObject* type = fieldDictionary->Lookup("/FT");
        CBPdfObject* value = nullptr;
        if (type != nullptr && type->ToString() == "/Sig" &&
            GetValueOfDictionary(fieldDictionary, "/V", value) &&
            value->GetTypeName() == "Dictionary") {
            signatures_.push_back(static_cast<CBPdfDictionary*>(value));
        }
    }
}

bool CPdfSign::GetValueOfDictionary(CBPdfDictionary* dictionary, const std::string& key,
                                    CBPdfObject*& out) {
    pdfInfo("CPdfSign::GetValueOfDictionary()  :: Buscando.");
    if (dictionary == nullptr) {
        return false;
    }
    CBPdfObject* value = dictionary->Lookup(key);
    if (value == nullptr) {
        return false;
    }
    if (value->GetTypeName() != "Reference") {
        out = value;
        return true;
    }
    CBPdfObject* resolved =
        reader_.Fetch(static_cast<CBPdfReference*>(value)->GetText(), dictionary);
    if (resolved == nullptr) {
        pdfError("CPdfSign::GetValueOfDictionary() :ERROR: La dirección del objeto pdf no fue "
                 "encontrada.");
        return false;
    }
    out = resolved;
    return true;
}

CBPdfObject* CPdfSign::resolve(CBPdfObject* object, CBPdfObject* parent, std::string_view wanted,
                               const char* notFound, const char* wrongKind, int hops) {
    if (object == nullptr) {
        pdfError(notFound);
        return nullptr;
    }
    if (object->GetTypeName() == wanted) {
        return object;
    }
    if (object->GetTypeName() != "Reference" || hops >= kMaxHops) {
        pdfError(wrongKind);
        return nullptr;
    }
    CBPdfObject* resolved = reader_.Fetch(static_cast<CBPdfReference*>(object)->GetText(), parent);
    if (resolved == nullptr) {
        pdfError(notFound);
        return nullptr;
    }
    return resolve(resolved, parent, wanted, notFound, wrongKind, hops + 1);
}

CBPdfArray* CPdfSign::GetArray(CBPdfObject* object, CBPdfObject* parent) {
    pdfInfo("CPdfSign::GetArray()  :: Entrando.");
    return static_cast<CBPdfArray*>(
        resolve(object, parent, "Array",
                "CPdfSign::GetArray()  :ERROR: La dirección del objeto no fue encontrada.",
                "CPdfSign::GetArray()  :ERROR: Valor inesperado, se esperaba un array.", 0));
}

CBPdfValue* CPdfSign::GetValue(CBPdfObject* object, CBPdfObject* parent) {
    pdfInfo("CPdfSign::GetValue()  :: Entrando");
    return static_cast<CBPdfValue*>(
        resolve(object, parent, "Value",
                "CPdfSign::GetValue()  :ERROR: La dirección del objeto no fue encontrada",
                "CPdfSign::GetValue()  :ERROR: Valor inesperado, se esperaba un Value", 0));
}

CBPdfDictionary* CPdfSign::GetDictionary(CBPdfObject* object, CBPdfObject* parent) {
    pdfInfo("CPdfSign::GetDictionary()  :: Entrando");
    return static_cast<CBPdfDictionary*>(resolve(
        object, parent, "Dictionary",
        "CPdfSign::GetDictionary()  :ERROR: La dirección del objeto no fue encontrada",
        "CPdfSign::GetDictionary()  :ERROR: Valor inesperado, se esperaba un Dictionary", 0));
}

int32_t CPdfSign::CountSigns() const {
    pdfInfo("CPdfSign::CountSigns()  :: Entrando");
    return static_cast<int32_t>(signatures_.size());
}

CBPdfValue* CPdfSign::GetContents(int32_t index) {
    pdfInfo("CPdfSign::GetContents()  :: Entrando");
    if (index < 0 || static_cast<size_t>(index) >= signatures_.size()) {
        pdfError("CPdfSign::GetContents()  :ERROR: No se encontra la firma especificada");
        return nullptr;
    }
    CBPdfDictionary* signature = signatures_[static_cast<size_t>(index)];
    CBPdfObject* contents = nullptr;
    if (!GetValueOfDictionary(signature, "/Contents", contents)) {
        return nullptr;
    }
    return GetValue(contents, signature);
}

std::string CPdfSign::GetFieldName(int32_t index) {
    pdfInfo("CPdfSign::GetFieldName()  :: Entrando");
    CBPdfObject* name = nullptr;
    CBPdfDictionary* field = nullptr;
    if (index >= 0 && static_cast<size_t>(index) < signatures_.size()) {
        CBPdfObject* parent = signatures_[static_cast<size_t>(index)]->GetParent();
        if (parent != nullptr && parent->GetTypeName() == "Dictionary") {
            field = static_cast<CBPdfDictionary*>(parent);
        }
    }
    if (field == nullptr || !GetValueOfDictionary(field, "/T", name)) {
        pdfError("CPdfSign::GetFieldName()  :ERROR: Buscando /T para una firma mayor de las "
                 "existentes");
        return {};
    }
    CBPdfValue* value = GetValue(name, field);
    return value != nullptr ? value->GetText() : std::string();
}

int64_t CPdfSign::GetSizeSignedBytes(int32_t index) {
    pdfInfo("CPdfSign::GetSizeSignedBytes()  :: Entrando");
    if (index < 0 || static_cast<size_t>(index) >= signatures_.size()) {
        return 0;
    }
    CBPdfDictionary* signature = signatures_[static_cast<size_t>(index)];
    CBPdfObject* object = nullptr;
    if (!GetValueOfDictionary(signature, "/ByteRange", object)) {
        return 0;
    }
    CBPdfArray* ranges = GetArray(object, signature);
    if (ranges == nullptr) {
        return 0;
    }
    int64_t total = 0;
    size_t count = ranges->GetSize();
    for (size_t i = 1; i < count; i += 2) {
        total += pdfAtol(ranges->GetElement(i)->ToString());
    }
    return total;
}

std::optional<std::string> CPdfSign::GetSignedBytes(int32_t index) {
    std::optional<std::vector<std::string_view>> ranges = GetSignedRanges(index);
    if (!ranges) {
        return std::nullopt;
    }
    size_t total = 0;
    for (std::string_view range : *ranges) {
        total += range.size();
    }
    std::string out;
    out.reserve(total);
    for (std::string_view range : *ranges) {
        out += range;
    }
    return out;
}

std::optional<std::vector<std::string_view>> CPdfSign::GetSignedRanges(int32_t index) {
    pdfInfo("CPdfSign::GetSignedBytes()  :: Entrando");
    std::vector<std::string_view> out;
    int64_t size = GetSizeSignedBytes(index);
    if (size <= 0) {
        return out;
    }
    CBPdfDictionary* signature = signatures_[static_cast<size_t>(index)];
    CBPdfObject* object = nullptr;
    GetValueOfDictionary(signature, "/ByteRange", object);
    CBPdfArray* ranges = GetArray(object, signature);
    std::string_view document = reader_.GetPdf();
    size_t count = ranges->GetSize();
    for (size_t i = 0; i + 1 < count; i += 2) {
        int64_t offset = pdfAtol(ranges->GetElement(i)->ToString());
        int64_t length = pdfAtol(ranges->GetElement(i + 1)->ToString());
        if (offset < 0 || length < 0 || offset + length > static_cast<int64_t>(document.size())) {
            return std::nullopt;
        }
        out.push_back(document.substr(static_cast<size_t>(offset), static_cast<size_t>(length)));
    }
    return out;
}

CBPdfDictionary* CPdfSign::pageRoot(const char* method, int32_t& count) {
    if (catalogDictionary_ == nullptr) {
        pdfError("CPdfSign::GetMaxPag()  :ERROR: No se inicializó  ningún diccionario");
        return nullptr;
    }
    std::string prefix = std::string("CPdfSign::") + method + "()  :ERROR: ";
    CBPdfObject* object = nullptr;
    CBPdfDictionary* pages = nullptr;
    if (GetValueOfDictionary(catalogDictionary_, "/Pages", object)) {
        pages = GetDictionary(object, catalogDictionary_);
    }
    if (pages == nullptr) {
        pdfError(prefix + "No se encontro el key /Pages del Catalog.");
        return nullptr;
    }
    CBPdfValue* countValue = nullptr;
    if (GetValueOfDictionary(pages, "/Count", object)) {
        countValue = GetValue(object, pages);
    }
    if (countValue == nullptr) {
        pdfError(prefix + "No se encontro el key /Count del Pages.");
        return nullptr;
    }
    count = pdfAtol(countValue->GetText());
    return pages;
}

int32_t CPdfSign::GetMaxPag() {
    pdfInfo("CPdfSign::GetMaxPag()  :: Entrando.");
    int32_t count = 0;
    return pageRoot("GetMaxPag", count) != nullptr ? count : 0;
}

CBPdfDictionary* CPdfSign::recorreKids(CBPdfArray* kids, CBPdfObject*& rotation, int64_t& n,
                                       int depth) {
    pdfInfo("CPdfSign::RecorreKids()  :: Entrando.");
    if (depth > kMaxTreeDepth) {
        return nullptr;
    }
    CBPdfObject* node = kids->GetParent();
    size_t size = kids->GetSize();
    for (size_t i = 0; i < size; ++i) {
        CBPdfObject* element = kids->GetElement(i);
        const size_t mark = reader_.FetchMark();
        CBPdfDictionary* kid = GetDictionary(element, node);
        // A kid read only to be skipped is let go again (with what was read through it), so
        // that walking a large tree keeps a small working set.
        auto forget = [&] { reader_.ForgetSince(mark); };
        if (kid == nullptr) {
            pdfError("CPdfSign::RecorreKids()  :ERROR: No se encontro el objeto indicado por Kid.");
            return nullptr;
        }
        CBPdfObject* object = nullptr;
        if (!GetValueOfDictionary(kid, "/Type", object)) {
            pdfError("CPdfSign::RecorreKids()  :ERROR: No se encontro el key /Type del Page/s.");
            continue;
        }
        std::string type = object->ToString();
        if (type == "/Page") {
            if (n == 1) {
                CBPdfObject* own = nullptr;
                if (GetValueOfDictionary(kid, "/Rotate", own)) {
                    rotation = own;
                }
                return kid;
            }
            --n;
            forget();
        } else if (type == "/Pages") {
            CBPdfValue* count = nullptr;
            CBPdfObject* kidsObject = nullptr;
            if (GetValueOfDictionary(kid, "/Count", object)) {
                count = GetValue(object, kid);
            }
            if (count == nullptr) {
                pdfError(
                    "CPdfSign::RecorreKids()  :ERROR: No se encontro el key /Count del Pages.");
                continue;
            }
            int64_t pages = pdfAtol(count->GetText());
            if (pages < n) {
                n -= pages;
                forget();
                continue;
            }
            CBPdfArray* subKids = nullptr;
            if (GetValueOfDictionary(kid, "/Kids", kidsObject)) {
                subKids = GetArray(kidsObject, kid);
            }
            if (subKids == nullptr) {
                pdfError(
                    "CPdfSign::RecorreKids()  :ERROR: No se encontro el key /Count del Pages.");
                continue;
            }
            CBPdfObject* own = nullptr;
            if (GetValueOfDictionary(kid, "/Rotate", own)) {
                rotation = own;
            }
            // Kids arrays take the node that holds them as their parent.
            subKids->SetParent(kid);
            return recorreKids(subKids, rotation, n, depth + 1);
        }
    }
    return nullptr;
}

CBPdfDictionary* CPdfSign::GetObjPag(int32_t page) {
    pdfInfo("CPdfSign::GetObjPag()  :: Entrando.");
    int32_t count = 0;
    CBPdfDictionary* root = pageRoot("GetObjPag", count);
    if (root == nullptr) {
        return nullptr;
    }
    if (page > count) {
        pdfError("CPdfSign::GetObjPag()  :ERROR: La pagina no existe.");
        return nullptr;
    }
    CBPdfObject* object = nullptr;
    CBPdfArray* kids = nullptr;
    if (GetValueOfDictionary(root, "/Kids", object)) {
        kids = GetArray(object, root);
    }
    if (kids == nullptr) {
        pdfError("CPdfSign::GetObjPag()  :ERROR: No se encontro el key /Kids del Pages.");
        return nullptr;
    }
    if (page < 1) {
        return nullptr;
    }
    kids->SetParent(root);
    CBPdfObject* rotation = nullptr;
    int64_t n = page;
    return recorreKids(kids, rotation, n, 0);
}

int32_t CPdfSign::GetRotatePag(int32_t page) {
    pdfInfo("CPdfSign::GetRotatePag()  :: Entrando.");
    int32_t count = 0;
    CBPdfDictionary* root = pageRoot("GetRotatePag", count);
    if (root == nullptr) {
        return 0;
    }
    if (page > count) {
        pdfError("CPdfSign::GetRotatePag()  :ERROR: La pagina no existe.");
        return 0;
    }
    CBPdfObject* rotation = nullptr;
    GetValueOfDictionary(root, "/Rotate", rotation);
    CBPdfObject* object = nullptr;
    CBPdfArray* kids = nullptr;
    if (GetValueOfDictionary(root, "/Kids", object)) {
        kids = GetArray(object, root);
    }
    if (kids == nullptr) {
        pdfError("CPdfSign::GetRotatePag()  :ERROR: No se encontro el key /Kids del Pages.");
        return 0;
    }
    kids->SetParent(root);
    int64_t n = page;
    if (page >= 1) {
        recorreKids(kids, rotation, n, 0);
    }
    if (rotation == nullptr) {
        return 0;
    }
    CBPdfValue* value = GetValue(rotation, nullptr);
    return value != nullptr ? pdfAtol(value->GetText()) : 0;
}

} // namespace component::pdf

#include "component/pdf/CBPdf.h"

#include "component/pdf/CBPdfArray.h"
#include "component/pdf/CBPdfDictionary.h"
#include "component/pdf/CBPdfReference.h"
#include "component/pdf/CBPdfStream.h"
#include "component/pdf/CBPdfValue.h"
#include "component/pdf/PdfEncryptedException.h"
#include "component/pdf/PdfLog.h"
#include "component/pdf/PdfNumbers.h"
#include "component/pdf/PdfParseException.h"

#include <unordered_set>

namespace component::pdf {

namespace {

// Nesting of arrays, dictionaries and /Length indirections deeper than this is refused as
// malformed instead of exhausting the stack.
constexpr int kMaxDepth = 256;

class DepthGuard {
public:
    explicit DepthGuard(int& depth) : depth_(depth) {
        if (++depth_ > kMaxDepth) {
            --depth_;
            throw PdfParseException();
        }
    }
    ~DepthGuard() { --depth_; }
    DepthGuard(const DepthGuard&) = delete;
    DepthGuard& operator=(const DepthGuard&) = delete;

private:
    int& depth_;
};

bool endsWithReferenceMark(const std::string& token) {
    return token.size() >= 2 && token.compare(token.size() - 2, 2, " R") == 0;
}

} // namespace

bool CBPdf::Open(std::string_view bytes) {
    pdfInfo("CBPdf::Open()  :: Abriendo desde puntero");
    Close();
    if (!raw_.Open(bytes)) {
        pdfError("CBPdf::Open()  :ERROR: ErroR al abrir desde puntero.");
        return false;
    }
    return openSequence(Variant::Bytes);
}

// Base64 text arrives narrow, as UTF-16 (straight from a BSTR) or already decoded; all open
// the same way.
template <typename Text> bool CBPdf::openBase64Text(Text text) {
    pdfInfo("CBPdf::OpenBase64()  :: Abriendo desde buffer en B64.");
    Close();
    if (!raw_.OpenBase64(text)) {
        pdfError("CBPdf::Open()  :ERROR: Error abriendo desde puntero.");
        return false;
    }
    pdfInfo("CBPdf::OpenBase64()  :: Abierto");
    return openSequence(Variant::Base64);
}

bool CBPdf::OpenBase64(std::string_view text) {
    return openBase64Text(text);
}

bool CBPdf::OpenBase64(std::u16string_view text) {
    return openBase64Text(text);
}

bool CBPdf::OpenBase64(Base64Decoded decoded) {
    return openBase64Text(decoded);
}

bool CBPdf::Open(const unsigned char* data, size_t size) {
    pdfInfo("CBPdf::Open()  :: Abriendo desde puntero a fichero.");
    Close();
    if (!raw_.Open(data, size)) {
        pdfError("CBPdf::Open()  :ERROR: Error abriendo desde puntero a fichero.");
        return false;
    }
    return openSequence(Variant::Pointer);
}

bool CBPdf::Open(std::string&& bytes) {
    pdfInfo("CBPdf::Open()  :: Abriendo desde puntero a fichero.");
    Close();
    if (!raw_.Open(std::move(bytes))) {
        pdfError("CBPdf::Open()  :ERROR: Error abriendo desde puntero a fichero.");
        return false;
    }
    return openSequence(Variant::Pointer, &bytes);
}

bool CBPdf::openSequence(Variant variant, std::string* giveBack) {
    trailerPosition_ = 0;
    raw_.Seek(0);
    raw_.ReadLine(header_);
    if (variant == Variant::Base64) {
        pdfInfo("CBPdf::OpenBase64()  :: Se chequea si es un PDF");
    }
    if (header_.compare(0, 5, "%PDF-") != 0) {
        pdfError(
            variant == Variant::Pointer
                ? "CBPdf::Open()  :ERROR: Error en la cabecera del pdf, desde puntero a fichero."
                : "CBPdf::Open()  :ERROR: Error en la cabecera del pdf, al abrir desde puntero.");
        if (giveBack != nullptr) {
            *giveBack = std::move(raw_.GetMutableBuffer());
        }
        raw_.Close();
        return false;
    }
    if (variant == Variant::Base64) {
        pdfInfo("CBPdf::OpenBase64()  :: Es un PDF");
    }
    open_ = true;
    try {
        std::string line;
        raw_.SeekToLastContent();
        raw_.ReadLineBackward(line); // normally "%%EOF"
        raw_.ReadLineBackward(line);
        startXref_ = pdfAtol(line);
        raw_.ExpectLineBackward("startxref");
        if (startXref_ < 0 || static_cast<uint32_t>(startXref_) >= raw_.GetSize()) {
            throw PdfParseException();
        }
        raw_.Seek(static_cast<uint32_t>(startXref_));
        GetXref();
    } catch (...) {
        if (giveBack != nullptr) {
            *giveBack = std::move(raw_.GetMutableBuffer());
        }
        Close();
        throw;
    }
    return true;
}

void CBPdf::Close() {
    pdfInfo("CBPdf::Close()  :: Liberando recursos CBPdf.");
    objects_.clear();
    fetchOrder_.clear();
    xref_.clear();
    raw_.Close();
    open_ = false;
    header_.clear();
    startXref_ = 0;
    trailerPosition_ = 0;
    maxObject_ = 0;
    depth_ = 0;
}

bool CBPdf::IsOpen() const {
    pdfInfo("CBPdf::IsOpen()  :: Entrando.");
    return open_;
}

void CBPdf::StartTrailer() {
    pdfInfo("CBPdf::StartTrailer()  :: Posicionamiento en el inicio del trailer.");
    raw_.Seek(trailerPosition_);
}

bool CBPdf::atTrailer(const std::string& line, uint32_t lineStart) {
    if (line == "trailer") {
        return true;
    }
    // "trailer" followed on the same line by blanks or the dictionary, as many writers emit.
    if (line.compare(0, 7, "trailer") != 0) {
        return false;
    }
    char next = line[7];
    if (next != ' ' && next != '\t' && next != '<') {
        return false;
    }
    raw_.Seek(lineStart + 7);
    return true;
}

void CBPdf::GetXref() {
    // Sections are walked iteratively; an offset seen twice is a /Prev loop.
    std::unordered_set<uint32_t> visited;
    for (;;) {
        pdfInfo("CBPdf::GetXref()  :: Recorriendo indice.");
        uint32_t start = raw_.Tell();
        if (start >= raw_.GetSize() || !visited.insert(start).second) {
            throw PdfParseException();
        }
        readXrefSection();
        if (trailerPosition_ == 0) {
            trailerPosition_ = raw_.Tell();
        }
        std::unique_ptr<CBPdfObject> trailer = GetObject(nullptr);
        CBPdfObject* prev = nullptr;
        if (trailer->GetTypeName() != "Dictionary" ||
            !static_cast<CBPdfDictionary*>(trailer.get())->Lookup("/Prev", prev)) {
            return;
        }
        int32_t offset = pdfAtol(prev->ToString());
        pdfInfo("CBPdf::GetXref()  :: Saltando al siguiente indice.");
        if (offset < 0) {
            throw PdfParseException();
        }
        raw_.Seek(static_cast<uint32_t>(offset));
    }
}

void CBPdf::readXrefSection() {
    raw_.ExpectLine("xref");
    std::string line;
    uint32_t lineStart = raw_.Tell();
    bool complete = raw_.ReadLine(line);
    while (!atTrailer(line, lineStart)) {
        if (!complete && raw_.Tell() >= raw_.GetSize()) {
            // The section ends without its "trailer" line.
            pdfError("CBPdf::GetXref()  :ERROR: Error en referencia cruzada de la tabla.");
            throw PdfParseException();
        }
        int32_t first = 0;
        int32_t count = 0;
        scanTwoInts(line, first, count);
        int64_t number = first;
        for (int32_t read = 0; read < count;) {
            std::string entry;
            if (!raw_.ReadLine(entry)) {
                pdfError("CBPdf::GetXref()  :ERROR: Error en referencia cruzada de la tabla.");
                throw PdfParseException();
            }
            if (entry.empty()) {
                continue;
            }
            ++read;
            int32_t offset = 0;
            int32_t generation = 0;
            char type = 0;
            if (scanTwoIntsChar(entry, offset, generation, type) == 3 && type == 'n' &&
                number >= 0 && number <= INT32_MAX) {
                int32_t key = static_cast<int32_t>(number);
                if (xref_.find(key) == xref_.end()) {
                    pdfInfo("CBPdf::GetXref()  :: Registrando objeto.");
                    xref_.emplace(key, offset);
                    if (key > maxObject_) {
                        maxObject_ = key;
                    }
                }
            }
            ++number;
        }
        lineStart = raw_.Tell();
        complete = raw_.ReadLine(line);
    }
}

std::unique_ptr<CBPdfObject> CBPdf::GetObject(CBPdfObject* parent) {
    pdfInfo("CBPdf::GetObject()  :: Entrando.");
    DepthGuard guard(depth_);
    uint32_t start = raw_.Tell();
    std::string token;
    if (!raw_.ReadToken(token, true)) {
        throw PdfParseException(); // the document ends where a value must stand
    }
    if (token == "<<") {
        raw_.Seek(start);
        return GetDictionary(parent);
    }
    if (token == "[") {
        raw_.Seek(start);
        return GetArray(parent);
    }
    std::unique_ptr<CBPdfObject> object;
    if (endsWithReferenceMark(token)) {
        object = std::make_unique<CBPdfReference>(parent, std::move(token));
    } else if (token[0] == '(') {
        // A string keeps the bytes it was read from (its token may differ from them).
        const uint32_t tokenStart = raw_.TokenStart();
        std::string_view source =
            std::string_view(raw_.GetBuffer()).substr(tokenStart, raw_.Tell() - tokenStart);
        object = source == token
                     ? std::make_unique<CBPdfValue>(parent, std::move(token))
                     : std::make_unique<CBPdfValue>(parent, std::move(token), std::string(source));
    } else {
        object = std::make_unique<CBPdfValue>(parent, std::move(token));
    }
    object->SetPosition(start);
    return object;
}

std::unique_ptr<CBPdfArray> CBPdf::GetArray(CBPdfObject* parent) {
    pdfInfo("CBPdf::GetArray()  :: Entrando.");
    DepthGuard guard(depth_);
    auto array = std::make_unique<CBPdfArray>(parent);
    array->SetPosition(raw_.Tell());
    raw_.ExpectToken("[");
    std::string token;
    for (;;) {
        uint32_t position = raw_.Tell();
        if (!raw_.ReadToken(token, true)) {
            throw PdfParseException(); // unterminated array
        }
        if (token == "]") {
            return array;
        }
        raw_.Seek(position);
        array->Add(GetObject(parent));
    }
}

std::unique_ptr<CBPdfObject> CBPdf::GetDictionary(CBPdfObject* parent) {
    pdfInfo("CBPdf::GetDictionary()  :: Entrando.");
    DepthGuard guard(depth_);
    auto dictionary = std::make_unique<CBPdfDictionary>(parent);
    dictionary->SetPosition(raw_.Tell());
    raw_.ExpectToken("<<");
    std::string key;
    for (;;) {
        if (!raw_.ReadToken(key, true)) {
            throw PdfParseException(); // unterminated dictionary
        }
        if (key == ">>") {
            break;
        }
        std::unique_ptr<CBPdfObject> value;
        if (key == "/ID") {
            uint32_t position = raw_.Tell();
            std::string text;
            raw_.ReadRawArray(text);
            if (!text.empty()) {
                // The token leaves the brackets out; the value is written back with them.
                std::string source = "[" + text + "]";
                value = std::make_unique<CBPdfValue>(dictionary.get(), std::move(text),
                                                     std::move(source));
                value->SetPosition(position);
            } else {
                value = GetObject(dictionary.get());
            }
        } else if (key == "/Encrypt") {
            pdfInfo("CBPdf::GetDictionary()  :: Es un PDF con nodo Encrypt: no lo podemos firmar");
            throw PdfEncryptedException();
        } else {
            value = GetObject(dictionary.get());
        }
        dictionary->Add(key, std::move(value));
    }
    uint32_t afterDictionary = raw_.Tell();
    std::string token;
    if (!raw_.ReadToken(token, true) || token != "stream") {
        raw_.Seek(afterDictionary);
        return dictionary;
    }
    raw_.ExpectLine("");
    CBPdfObject* lengthObject = dictionary->Lookup("/Length");
    if (lengthObject == nullptr) {
        throw PdfParseException(); // a stream whose end cannot be found
    }
    int32_t length = 0;
    if (lengthObject->GetTypeName() == "Reference") {
        uint32_t resume = raw_.Tell();
        if (!GotoReference(static_cast<CBPdfReference*>(lengthObject)->GetText())) {
            throw PdfParseException();
        }
        std::unique_ptr<CBPdfObject> resolved = GetObject(nullptr);
        length = pdfAtol(resolved->ToString());
        raw_.Seek(resume);
    } else if (lengthObject->GetTypeName() == "Value") {
        length = pdfAtol(static_cast<CBPdfValue*>(lengthObject)->GetText());
    } else {
        throw PdfParseException();
    }
    if (length < 0 ||
        static_cast<uint64_t>(raw_.Tell()) + static_cast<uint32_t>(length) > raw_.GetSize()) {
        throw PdfParseException(); // /Length past the end of the document
    }
    raw_.Seek(raw_.Tell() + static_cast<uint32_t>(length));
    raw_.ExpectToken("endstream");
    auto stream = std::make_unique<CBPdfStream>(parent, std::move(dictionary));
    stream->SetPosition(stream->GetDictionary()->GetPosition());
    stream->GetDictionary()->SetParent(stream.get());
    return stream;
}

bool CBPdf::GotoReference(std::string_view reference) {
    pdfLogLazy(stream::LOG_INFO, [&] {
        return "CBPdf::GotoReference()  :: Ir a la referencia " + std::string(reference);
    });
    int32_t number = 0;
    int32_t generation = 0;
    char type = 0;
    if (scanTwoIntsChar(reference, number, generation, type) < 1) {
        return false;
    }
    auto it = xref_.find(number);
    if (it == xref_.end() || it->second <= 0 ||
        static_cast<uint32_t>(it->second) >= raw_.GetSize()) {
        return false;
    }
    raw_.Seek(static_cast<uint32_t>(it->second));
    raw_.ExpectToken(fmtInt(number));
    std::string ignored;
    raw_.ReadToken(ignored, true);
    raw_.ExpectToken("obj");
    return true;
}

CBPdfObject* CBPdf::Fetch(std::string_view reference, CBPdfObject* parent) {
    int32_t number = 0;
    int32_t generation = 0;
    char type = 0;
    if (scanTwoIntsChar(reference, number, generation, type) < 1) {
        return nullptr;
    }
    if (CBPdfObject* known = Fetched(number)) {
        return known;
    }
    if (!GotoReference(reference)) {
        return nullptr;
    }
    std::unique_ptr<CBPdfObject> object = GetObject(parent);
    object->SetObjectNumber(number);
    CBPdfObject* kept = object.get();
    objects_[number] = std::move(object);
    fetchOrder_.push_back(number);
    return kept;
}

CBPdfObject* CBPdf::Fetched(int32_t number) const {
    auto it = objects_.find(number);
    return it == objects_.end() ? nullptr : it->second.get();
}

void CBPdf::ForgetSince(size_t mark) {
    for (size_t i = mark; i < fetchOrder_.size(); ++i) {
        objects_.erase(fetchOrder_[i]);
    }
    if (mark < fetchOrder_.size()) {
        fetchOrder_.resize(mark);
    }
}

std::unique_ptr<CBPdfObject> CBPdf::Extract(int32_t number) {
    auto it = objects_.find(number);
    if (it == objects_.end()) {
        return nullptr;
    }
    std::unique_ptr<CBPdfObject> object = std::move(it->second);
    objects_.erase(it);
    return object;
}

bool CBPdf::GetMem(unsigned char* destination, uint32_t offset, uint32_t count) {
    pdfInfo("CBPdf::GetMem()  :: Recogiendo bytes del pdf.");
    return raw_.GetMem(destination, offset, count);
}

bool CBPdf::SetMem(const unsigned char* source, uint32_t offset, uint32_t count) {
    pdfInfo("CBPdf::SetMem()  :: Insertando bytes al pdf.");
    return raw_.SetMem(source, offset, count);
}

const std::string& CBPdf::GetPdf() const {
    pdfInfo("CBPdf::GetPdf()  :: Entrando.");
    return raw_.GetBuffer();
}

std::string CBPdf::TakePdf() {
    std::string bytes = std::move(raw_.GetMutableBuffer());
    Close();
    return bytes;
}

} // namespace component::pdf

#include "component/pdf/CBPdf.h"

#include "component/pdf/CBPdfArray.h"
#include "component/pdf/CBPdfDictionary.h"
#include "component/pdf/CBPdfReference.h"
#include "component/pdf/CBPdfStream.h"
#include "component/pdf/CBPdfValue.h"
#include "component/pdf/CBPdfXrefStream.h"
#include "component/pdf/PdfEncryptedException.h"
#include "component/pdf/PdfLog.h"
#include "component/pdf/PdfNumbers.h"
#include "component/pdf/PdfParseException.h"
#include "component/pdf/StreamDecoder.h"

#include <limits>

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

// Streams the reader decodes itself may produce together at most this multiple of the
// document size (and at least the floor), so that small inputs cannot inflate without bound.
constexpr size_t kInflateRatio = 32;
constexpr size_t kInflateFloor = 4 * 1024 * 1024;

// Makes the objects of an object stream (or, with null, of the document) the ones parsed
// until the scope ends.
class LexerScope {
public:
    LexerScope(CBPdfObjectStream*& current, CBPdfObjectStream* with)
        : current_(current), saved_(current) {
        current_ = with;
    }
    ~LexerScope() { current_ = saved_; }
    LexerScope(const LexerScope&) = delete;
    LexerScope& operator=(const LexerScope&) = delete;

private:
    CBPdfObjectStream*& current_;
    CBPdfObjectStream* saved_;
};

// The object number of a reference's text ("N G R").
bool referenceNumber(std::string_view reference, int32_t& number) {
    int32_t generation = 0;
    char type = 0;
    return scanTwoIntsChar(reference, number, generation, type) >= 1;
}

bool isUnsigned(const std::string& token) {
    return !token.empty() && token.find_first_not_of("0123456789") == std::string::npos;
}

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
        inflateBudget_ = kInflateFloor + static_cast<size_t>(raw_.GetSize()) * kInflateRatio;
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
    objectStreams_.clear();
    loadingStreams_.clear();
    current_ = nullptr;
    inflateBudget_ = 0;
    newestIsStream_ = false;
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
    // Sections are walked iteratively; an offset seen twice (through /Prev or /XRefStm) is a
    // loop.
    std::unordered_set<uint32_t> visited;
    for (bool newest = true;; newest = false) {
        pdfInfo("CBPdf::GetXref()  :: Recorriendo indice.");
        uint32_t start = raw_.Tell();
        if (start >= raw_.GetSize() || !visited.insert(start).second) {
            throw PdfParseException();
        }
        std::unique_ptr<CBPdfObject> trailer;
        if (atXrefKeyword()) {
            readXrefSection();
            if (trailerPosition_ == 0) {
                trailerPosition_ = raw_.Tell();
            }
            trailer = GetObject(nullptr);
            CBPdfObject* stream = nullptr;
            if (trailer->GetTypeName() == "Dictionary" &&
                static_cast<CBPdfDictionary*>(trailer.get())->Lookup("/XRefStm", stream)) {
                // A hybrid section: the table's entries, then the stream's, then /Prev.
                int32_t offset = pdfAtol(stream->ToString());
                if (offset < 0 || static_cast<uint32_t>(offset) >= raw_.GetSize() ||
                    !visited.insert(static_cast<uint32_t>(offset)).second) {
                    throw PdfParseException();
                }
                uint32_t ignored = 0;
                readXrefStream(static_cast<uint32_t>(offset), ignored);
            }
        } else {
            uint32_t dictionaryStart = 0;
            trailer = readXrefStream(start, dictionaryStart);
            if (newest) {
                newestIsStream_ = true;
                trailerPosition_ = dictionaryStart;
            }
        }
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

bool CBPdf::atXrefKeyword() {
    const uint32_t start = raw_.Tell();
    std::string line;
    raw_.ReadLine(line);
    raw_.Seek(start);
    const size_t first = line.find_first_not_of(" \t\v\f");
    if (first == std::string::npos || line.compare(first, 4, "xref") != 0) {
        return false;
    }
    return line.find_first_not_of(" \t\v\f", first + 4) == std::string::npos;
}

std::unique_ptr<CBPdfDictionary> CBPdf::readXrefStream(uint32_t offset, uint32_t& dictionaryStart) {
    raw_.Seek(offset);
    std::string token;
    raw_.ReadToken(token, false);
    if (!isUnsigned(token)) {
        throw PdfParseException();
    }
    raw_.ReadToken(token, false);
    if (!isUnsigned(token)) {
        throw PdfParseException();
    }
    raw_.ExpectToken("obj");
    dictionaryStart = raw_.Tell();
    std::unique_ptr<CBPdfObject> object = GetObject(nullptr);
    if (object->GetTypeName() != "Stream") {
        throw PdfParseException();
    }
    auto* stream = static_cast<CBPdfStream*>(object.get());
    const CBPdfObject* type = stream->GetDictionary()->Lookup("/Type");
    if (type == nullptr || type->ToString() != "/XRef") {
        throw PdfParseException();
    }
    const std::string data = decodedData(*stream);
    CBPdfXrefStream::Read(*stream->GetDictionary(), data, [this](const CBPdfXrefStream::Entry& e) {
        if (e.type == 1) {
            XrefEntry entry;
            // An offset no 32-bit document has names no object.
            entry.offset = e.second > static_cast<uint64_t>(std::numeric_limits<int32_t>::max())
                               ? -1
                               : static_cast<int64_t>(e.second);
            registerEntry(e.number, entry);
        } else if (e.type == 2) {
            if (e.second > static_cast<uint64_t>(std::numeric_limits<int32_t>::max()) ||
                e.third > std::numeric_limits<uint32_t>::max()) {
                throw PdfParseException();
            }
            XrefEntry entry;
            entry.compressed = true;
            entry.stream = static_cast<int32_t>(e.second);
            entry.index = static_cast<uint32_t>(e.third);
            registerEntry(e.number, entry);
        }
    });
    return stream->ReleaseDictionary();
}

void CBPdf::registerEntry(int32_t number, const XrefEntry& entry) {
    if (xref_.find(number) == xref_.end()) {
        pdfInfo("CBPdf::GetXref()  :: Registrando objeto.");
        xref_.emplace(number, entry);
        if (number > maxObject_) {
            maxObject_ = number;
        }
    }
}

std::string CBPdf::decodedData(const CBPdfStream& stream) {
    const std::string_view data = std::string_view(raw_.GetBuffer())
                                      .substr(stream.GetSourceOffset(), stream.GetSourceLength());
    std::string decoded = StreamDecoder::Decode(*stream.GetDictionary(), data, inflateBudget_);
    inflateBudget_ -= decoded.size();
    return decoded;
}

CBPdfObjectStream& CBPdf::objectStream(int32_t number) {
    auto known = objectStreams_.find(number);
    if (known != objectStreams_.end()) {
        return *known->second;
    }
    // A stream that needs itself to be read (its /Length inside it) is malformed.
    if (!loadingStreams_.insert(number).second) {
        throw PdfParseException();
    }
    struct Unmark {
        std::unordered_set<int32_t>& loading;
        int32_t number;
        ~Unmark() { loading.erase(number); }
    } unmark{loadingStreams_, number};
    LexerScope scope(current_, nullptr);
    if (!GotoReference(fmtReference(number, 0))) {
        throw PdfParseException(); // the object stream itself is missing or compressed
    }
    std::unique_ptr<CBPdfObject> object = GetObject(nullptr);
    if (object->GetTypeName() != "Stream") {
        throw PdfParseException();
    }
    const auto* stream = static_cast<const CBPdfStream*>(object.get());
    const CBPdfDictionary* dictionary = stream->GetDictionary();
    const CBPdfObject* type = dictionary->Lookup("/Type");
    const CBPdfObject* count = dictionary->Lookup("/N");
    const CBPdfObject* first = dictionary->Lookup("/First");
    if (type == nullptr || type->ToString() != "/ObjStm" || count == nullptr ||
        count->GetTypeName() != "Value" || first == nullptr || first->GetTypeName() != "Value") {
        throw PdfParseException();
    }
    const std::string data = decodedData(*stream);
    auto decoded = std::make_unique<CBPdfObjectStream>(data, pdfAtol(count->ToString()),
                                                       pdfAtol(first->ToString()));
    CBPdfObjectStream& kept = *decoded;
    objectStreams_.emplace(number, std::move(decoded));
    return kept;
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
                XrefEntry plain;
                plain.offset = offset;
                registerEntry(static_cast<int32_t>(number), plain);
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
    CBRawPdf& raw = lexer();
    uint32_t start = raw.Tell();
    std::string token;
    if (!raw.ReadToken(token, true)) {
        throw PdfParseException(); // the document ends where a value must stand
    }
    if (token == "<<") {
        raw.Seek(start);
        return GetDictionary(parent);
    }
    if (token == "[") {
        raw.Seek(start);
        return GetArray(parent);
    }
    std::unique_ptr<CBPdfObject> object;
    if (endsWithReferenceMark(token)) {
        object = std::make_unique<CBPdfReference>(parent, std::move(token));
    } else if (token[0] == '(') {
        // A string keeps the bytes it was read from (its token may differ from them).
        const uint32_t tokenStart = raw.TokenStart();
        std::string_view source =
            std::string_view(raw.GetBuffer()).substr(tokenStart, raw.Tell() - tokenStart);
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
    CBRawPdf& raw = lexer();
    auto array = std::make_unique<CBPdfArray>(parent);
    array->SetPosition(raw.Tell());
    raw.ExpectToken("[");
    std::string token;
    for (;;) {
        uint32_t position = raw.Tell();
        if (!raw.ReadToken(token, true)) {
            throw PdfParseException(); // unterminated array
        }
        if (token == "]") {
            return array;
        }
        raw.Seek(position);
        array->Add(GetObject(parent));
    }
}

std::unique_ptr<CBPdfObject> CBPdf::GetDictionary(CBPdfObject* parent) {
    pdfInfo("CBPdf::GetDictionary()  :: Entrando.");
    DepthGuard guard(depth_);
    CBRawPdf& raw = lexer();
    auto dictionary = std::make_unique<CBPdfDictionary>(parent);
    dictionary->SetPosition(raw.Tell());
    raw.ExpectToken("<<");
    std::string key;
    for (;;) {
        if (!raw.ReadToken(key, true)) {
            throw PdfParseException(); // unterminated dictionary
        }
        if (key == ">>") {
            break;
        }
        std::unique_ptr<CBPdfObject> value;
        if (key == "/ID") {
            uint32_t position = raw.Tell();
            std::string text;
            raw.ReadRawArray(text);
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
    uint32_t afterDictionary = raw.Tell();
    std::string token;
    if (!raw.ReadToken(token, true) || token != "stream") {
        raw.Seek(afterDictionary);
        return dictionary;
    }
    if (current_ != nullptr) {
        throw PdfParseException(); // an object stream cannot hold streams
    }
    raw.ExpectLine("");
    CBPdfObject* lengthObject = dictionary->Lookup("/Length");
    if (lengthObject == nullptr) {
        throw PdfParseException(); // a stream whose end cannot be found
    }
    int32_t length = 0;
    if (lengthObject->GetTypeName() == "Reference") {
        uint32_t resume = raw.Tell();
        std::unique_ptr<CBPdfObject> resolved =
            readIndirect(static_cast<CBPdfReference*>(lengthObject)->GetText(), nullptr);
        if (!resolved) {
            throw PdfParseException();
        }
        length = pdfAtol(resolved->ToString());
        raw.Seek(resume);
    } else if (lengthObject->GetTypeName() == "Value") {
        length = pdfAtol(static_cast<CBPdfValue*>(lengthObject)->GetText());
    } else {
        throw PdfParseException();
    }
    if (length < 0 ||
        static_cast<uint64_t>(raw.Tell()) + static_cast<uint32_t>(length) > raw.GetSize()) {
        throw PdfParseException(); // /Length past the end of the document
    }
    const uint32_t dataStart = raw.Tell();
    raw.Seek(dataStart + static_cast<uint32_t>(length));
    raw.ExpectToken("endstream");
    auto stream = std::make_unique<CBPdfStream>(parent, std::move(dictionary));
    stream->SetSourceRange(dataStart, static_cast<uint32_t>(length));
    stream->SetPosition(stream->GetDictionary()->GetPosition());
    stream->GetDictionary()->SetParent(stream.get());
    return stream;
}

bool CBPdf::GotoReference(std::string_view reference) {
    pdfLogLazy(stream::LOG_INFO, [&] {
        return "CBPdf::GotoReference()  :: Ir a la referencia " + std::string(reference);
    });
    int32_t number = 0;
    if (!referenceNumber(reference, number)) {
        return false;
    }
    auto it = xref_.find(number);
    if (it == xref_.end() || it->second.compressed || it->second.offset <= 0 ||
        it->second.offset >= static_cast<int64_t>(raw_.GetSize())) {
        return false;
    }
    raw_.Seek(static_cast<uint32_t>(it->second.offset));
    raw_.ExpectToken(fmtInt(number));
    std::string ignored;
    raw_.ReadToken(ignored, true);
    raw_.ExpectToken("obj");
    return true;
}

CBPdfObject* CBPdf::Fetch(std::string_view reference, CBPdfObject* parent) {
    int32_t number = 0;
    if (!referenceNumber(reference, number)) {
        return nullptr;
    }
    if (CBPdfObject* known = Fetched(number)) {
        return known;
    }
    std::unique_ptr<CBPdfObject> object = readIndirect(reference, parent);
    if (!object) {
        return nullptr;
    }
    object->SetObjectNumber(number);
    CBPdfObject* kept = object.get();
    objects_[number] = std::move(object);
    fetchOrder_.push_back(number);
    return kept;
}

std::unique_ptr<CBPdfObject> CBPdf::readIndirect(std::string_view reference, CBPdfObject* parent) {
    int32_t number = 0;
    if (!referenceNumber(reference, number)) {
        return nullptr;
    }
    auto it = xref_.find(number);
    if (it == xref_.end() || !it->second.compressed) {
        if (!GotoReference(reference)) {
            return nullptr;
        }
        return GetObject(parent);
    }
    const XrefEntry entry = it->second;
    CBPdfObjectStream& holder = objectStream(entry.stream);
    holder.Lexer().Seek(holder.Locate(number, entry.index));
    LexerScope scope(current_, &holder);
    return GetObject(parent);
}

bool CBPdf::IsCompressed(int32_t number) const {
    auto it = xref_.find(number);
    return it != xref_.end() && it->second.compressed;
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

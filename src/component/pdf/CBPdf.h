#pragma once

#include "component/pdf/CBPdfObject.h"
#include "component/pdf/CBPdfObjectStream.h"
#include "component/pdf/CBRawPdf.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace component::pdf {

class CBPdfArray;
class CBPdfDictionary;
class CBPdfStream;

// Reader of a PDF held in memory: header check, cross-reference sections (tables, streams, and
// tables whose trailer adds a stream with /XRefStm) walked from the newest through every
// /Prev, objects parsed on request, from the file or from the object streams that hold them.
// Malformed input raises PdfParseException, /Encrypt raises PdfEncryptedException.
class CBPdf {
public:
    bool Open(std::string_view bytes);
    bool OpenBase64(std::string_view text);
    bool OpenBase64(std::u16string_view text);
    bool OpenBase64(Base64Decoded decoded);
    bool Open(const unsigned char* data, size_t size);
    // The pointer-and-size variant taking the bytes over without a copy. When the document
    // cannot be opened (false or an exception), its bytes are left in `bytes`.
    bool Open(std::string&& bytes);
    void Close();
    bool IsOpen() const;

    void StartTrailer();
    void GetXref();
    std::unique_ptr<CBPdfObject> GetObject(CBPdfObject* parent);
    std::unique_ptr<CBPdfArray> GetArray(CBPdfObject* parent);
    std::unique_ptr<CBPdfObject> GetDictionary(CBPdfObject* parent);
    bool GotoReference(std::string_view reference);
    // The object a reference ("N G R") names, parsed once per loaded document and kept until
    // the document is closed (an object named many times is never parsed again); parent
    // becomes the parent of an object parsed now. Null when the object cannot be found.
    CBPdfObject* Fetch(std::string_view reference, CBPdfObject* parent);
    // The object of that number when it has been fetched, else null.
    CBPdfObject* Fetched(int32_t number) const;
    // How many fetches have parsed an object so far; with ForgetSince, a walk that reads
    // objects only to skip them drops them again (with everything fetched through them).
    size_t FetchMark() const noexcept { return fetchOrder_.size(); }
    // Drops every object parsed since mark (a later Fetch parses them again).
    void ForgetSince(size_t mark);
    // Hands a fetched object over to the caller (a later Fetch parses it again).
    std::unique_ptr<CBPdfObject> Extract(int32_t number);
    bool GetMem(unsigned char* destination, uint32_t offset, uint32_t count);
    bool SetMem(const unsigned char* source, uint32_t offset, uint32_t count);
    const std::string& GetPdf() const;
    // Hands the document bytes out; the reader is closed.
    std::string TakePdf();

    uint32_t GetSize() const noexcept { return raw_.GetSize(); }
    int32_t GetStartXref() const noexcept { return startXref_; }
    int32_t GetMaxObjectNumber() const noexcept { return maxObject_; }
    const std::string& GetHeaderLine() const noexcept { return header_; }
    uint32_t GetTrailerPosition() const noexcept { return trailerPosition_; }
    // True when the newest cross-reference section is a stream: the trailer then is that
    // stream's dictionary, and an update must end with a cross-reference stream too.
    bool NewestSectionIsStream() const noexcept { return newestIsStream_; }
    // True when the object of that number is stored in an object stream (its positions are
    // then positions in the decoded stream, not in the document).
    bool IsCompressed(int32_t number) const;
    CBRawPdf& Raw() noexcept { return raw_; }

private:
    enum class Variant { Bytes, Base64, Pointer };
    // giveBack, when given, receives the bytes of a document that fails to open.
    bool openSequence(Variant variant, std::string* giveBack = nullptr);
    template <typename Text> bool openBase64Text(Text text);
    // Where an object is found: at an offset of the document, or in an object stream.
    struct XrefEntry {
        int64_t offset = 0;
        bool compressed = false;
        int32_t stream = 0;
        uint32_t index = 0;
    };
    void readXrefSection();
    bool atTrailer(const std::string& line, uint32_t lineStart);
    bool atXrefKeyword();
    // Reads the cross-reference stream object at offset and registers its entries; returns
    // its dictionary and where that dictionary begins.
    std::unique_ptr<CBPdfDictionary> readXrefStream(uint32_t offset, uint32_t& dictionaryStart);
    void registerEntry(int32_t number, const XrefEntry& entry);
    // The data of a stream read from the document, decoded within what is left of the budget.
    std::string decodedData(const CBPdfStream& stream);
    CBPdfObjectStream& objectStream(int32_t number);
    // Parses the object a reference names wherever it is stored; null when it is not listed.
    std::unique_ptr<CBPdfObject> readIndirect(std::string_view reference, CBPdfObject* parent);
    // The lexer objects are parsed from: the document's, or an object stream's while one of
    // its objects is parsed.
    CBRawPdf& lexer() noexcept { return current_ != nullptr ? current_->Lexer() : raw_; }

    CBRawPdf raw_;
    bool open_ = false;
    std::string header_;
    std::unordered_map<int32_t, XrefEntry> xref_;
    std::unordered_map<int32_t, std::unique_ptr<CBPdfObjectStream>> objectStreams_;
    std::unordered_set<int32_t> loadingStreams_;
    CBPdfObjectStream* current_ = nullptr;
    // Bytes that decoding streams may still produce (a fixed multiple of the document size).
    size_t inflateBudget_ = 0;
    bool newestIsStream_ = false;
    std::unordered_map<int32_t, std::unique_ptr<CBPdfObject>> objects_;
    std::vector<int32_t> fetchOrder_;
    int32_t startXref_ = 0;
    uint32_t trailerPosition_ = 0;
    int32_t maxObject_ = 0;
    int depth_ = 0;
};

} // namespace component::pdf

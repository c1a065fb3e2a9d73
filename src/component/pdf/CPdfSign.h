#pragma once

#include "component/pdf/CBPdf.h"
#include "component/pdf/PdfSettings.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace component::pdf {

class CBPdfArray;
class CBPdfDictionary;
class CBPdfObject;
class CBPdfStream;
class CBPdfValue;

// The PDF signing engine: loads a document, answers signature and page queries, builds a
// visible signature field as an incremental update and fills its placeholder.
class CPdfSign {
public:
    enum class InsertResult { Written, Refused, NotLoaded };

    explicit CPdfSign(PdfSettingsReader settings = defaultPdfSettingsReader());
    ~CPdfSign();
    CPdfSign(const CPdfSign&) = delete;
    CPdfSign& operator=(const CPdfSign&) = delete;

    // Loading (each forgets the previous document).
    bool LoadPdfPtr(std::string_view bytes);
    bool LoadPdfPtrBase64(std::string_view text);
    // Base64 text still in UTF-16, converted as SAFE_OLE2A converts it.
    bool LoadPdfPtrBase64(std::u16string_view text);
    // The bytes such a text decodes to, loaded as the text would be (same log lines).
    bool LoadPdfPtrBase64(Base64Decoded decoded);
    void LoadDicSigns();
    // Forgets the document (nothing is loaded afterwards).
    void Unload();
    bool IsLoaded() const { return reader_.IsOpen(); }
    const std::string& GetPdf() const { return reader_.GetPdf(); }

    // Resolution family.
    bool GetValueOfDictionary(CBPdfDictionary* dictionary, const std::string& key,
                              CBPdfObject*& out);
    CBPdfArray* GetArray(CBPdfObject* object, CBPdfObject* parent);
    CBPdfValue* GetValue(CBPdfObject* object, CBPdfObject* parent);
    CBPdfDictionary* GetDictionary(CBPdfObject* object, CBPdfObject* parent);

    // Signature queries.
    int32_t CountSigns() const;
    CBPdfValue* GetContents(int32_t index);
    std::string GetFieldName(int32_t index);
    int64_t GetSizeSignedBytes(int32_t index);
    // The concatenated signed ranges; nullopt when a range lies outside the document.
    std::optional<std::string> GetSignedBytes(int32_t index);
    // The same ranges as views into the document (valid until it changes).
    std::optional<std::vector<std::string_view>> GetSignedRanges(int32_t index);

    // Page queries.
    int32_t GetMaxPag();
    CBPdfDictionary* GetObjPag(int32_t page);
    int32_t GetRotatePag(int32_t page);

    // Signature construction. False when no update was built (no document, a page that does
    // not exist, an AcroForm whose /Fields cannot be updated).
    bool CreateSignature(int32_t page, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                         std::u16string_view imageBase64, const std::string& name,
                         const std::string& font, int32_t fontSize, int32_t angle, bool add);
    InsertResult InsertSign(std::string_view signatureHex);

    // Builders of the update.
    std::unique_ptr<CBPdfDictionary> CreateSignatureDictionary(const std::string& name,
                                                               int64_t start);
    std::unique_ptr<CBPdfDictionary> CreateTrailerDictionary(int32_t signatureNumber);
    std::unique_ptr<CBPdfDictionary> CreateAcroForm();
    CBPdfObject* AddFieldInAcroForm(int32_t annotationNumber);
    CBPdfDictionary* AddAnnotInPage(CBPdfDictionary* page, int32_t annotationNumber);
    std::unique_ptr<CBPdfDictionary> CreateAnnotation(int32_t pageNumber, int32_t signatureNumber,
                                                      int32_t appearanceNumber, int32_t x1,
                                                      int32_t y1, int32_t x2, int32_t y2);
    std::unique_ptr<CBPdfStream> CreateAparence(int32_t fontNumber, int32_t imageNumber,
                                                const std::string& text, int32_t fontSize,
                                                int32_t angle, int32_t width, int32_t height);
    std::unique_ptr<CBPdfDictionary> CreatePdfFont(const std::string& fontName);
    std::unique_ptr<CBPdfStream> CreateImg(std::u16string_view imageBase64);

    // Placeholder of the signature created last (offset of its "<" and its length).
    int64_t GetPlaceholderOffset() const noexcept { return placeholderOffset_; }
    int64_t GetPlaceholderLength() const noexcept { return placeholderLength_; }
    CBPdf& Reader() noexcept { return reader_; }

private:
    void resetDocument();
    template <typename Text> bool loadBase64Text(Text text);
    CBPdfObject* resolve(CBPdfObject* object, CBPdfObject* parent, std::string_view wanted,
                         const char* notFound, const char* wrongKind, int hops);
    CBPdfDictionary* recorreKids(CBPdfArray* kids, CBPdfObject*& rotation, int64_t& n, int depth);
    CBPdfDictionary* pageRoot(const char* method, int32_t& count);
    int32_t reservedDigits();
    std::string fieldNameForNewSignature();
    std::vector<std::pair<uint32_t, unsigned char>> invalidationEdits();
    // What CreateSignature needs to put the document back as it was when it fails.
    struct Snapshot {
        uint32_t size = 0;
        std::vector<std::pair<uint32_t, unsigned char>> overwritten;
        int64_t placeholderOffset = -1;
        int64_t placeholderLength = 0;
    };
    // Builds the update into document (the whole updated file) and reopens it; on failure
    // the bytes stay in the reader or in document.
    bool buildUpdate(int32_t page, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                     std::u16string_view imageBase64, bool useImage, const std::string& name,
                     const std::string& font, int32_t fontSize, int32_t angle,
                     const std::vector<std::pair<uint32_t, unsigned char>>& edits,
                     std::string& document);
    void restoreDocument(const Snapshot& before, std::string& spare);

    PdfSettingsReader settings_;
    CBPdf reader_;
    std::unique_ptr<CBPdfObject> trailer_;
    CBPdfObject* catalog_ = nullptr;
    CBPdfDictionary* catalogDictionary_ = nullptr;
    CBPdfDictionary* acroForm_ = nullptr;
    std::vector<CBPdfDictionary*> signatures_;
    std::string imageBytes_;
    int64_t placeholderOffset_ = -1;
    int64_t placeholderLength_ = 0;
    // Second, third and fourth /ByteRange values of the signature dictionary being built.
    CBPdfValue* placeholderValues_[3] = {nullptr, nullptr, nullptr};
};

} // namespace component::pdf

#pragma once

#include "component/pdf/CBPdfDictionary.h"

#include <cstdint>
#include <memory>
#include <string>

namespace component::pdf {

// A stream: its dictionary and its data. Data set with SetData is copied and owned; data set
// with SetRawData stays the caller's and must outlive the stream.
class CBPdfStream : public CBPdfObject {
public:
    CBPdfStream(CBPdfObject* parent, std::unique_ptr<CBPdfDictionary> dictionary);

    int GetCode() const override { return 9; }
    std::string_view GetTypeName() const override { return "Stream"; }
    size_t GetStringSize() const override;
    // The text form: dictionary, "stream", the text copy of the data, "endstream".
    void AppendTo(std::string& out) const override;
    // The file form: dictionary, "stream", the raw data bytes, "endstream".
    void WriteTo(std::string& out) const;

    void SetData(const std::string& text);
    void SetRawData(const unsigned char* data, size_t length);
    void SetDictionary(std::unique_ptr<CBPdfDictionary> dictionary);
    CBPdfDictionary* GetDictionary() const noexcept { return dictionary_.get(); }
    // Hands the dictionary over to the caller; the stream is left without one.
    std::unique_ptr<CBPdfDictionary> ReleaseDictionary() noexcept { return std::move(dictionary_); }
    // Where the data of a stream read from a document lies in it.
    void SetSourceRange(uint32_t offset, uint32_t length) noexcept {
        sourceOffset_ = offset;
        sourceLength_ = length;
    }
    uint32_t GetSourceOffset() const noexcept { return sourceOffset_; }
    uint32_t GetSourceLength() const noexcept { return sourceLength_; }
    size_t GetDataLength() const noexcept { return length_; }

private:
    std::unique_ptr<CBPdfDictionary> dictionary_;
    std::string text_;
    std::string ownedData_;
    const unsigned char* raw_ = nullptr;
    size_t length_ = 0;
    uint32_t sourceOffset_ = 0;
    uint32_t sourceLength_ = 0;
};

} // namespace component::pdf

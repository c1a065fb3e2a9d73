#include "component/pdf/CBPdfStream.h"

namespace component::pdf {

namespace {
constexpr std::string_view kStreamStart = "stream\r\n";
constexpr std::string_view kStreamEnd = "\r\nendstream\r\n";
} // namespace

CBPdfStream::CBPdfStream(CBPdfObject* parent, std::unique_ptr<CBPdfDictionary> dictionary)
    : CBPdfObject(parent), dictionary_(std::move(dictionary)) {}

size_t CBPdfStream::GetStringSize() const {
    size_t dictionarySize = dictionary_ ? dictionary_->GetStringSize() : 0;
    return dictionarySize + length_ + kStreamStart.size() + kStreamEnd.size();
}

void CBPdfStream::AppendTo(std::string& out) const {
    if (dictionary_) {
        dictionary_->AppendTo(out);
    }
    out += kStreamStart;
    out += text_;
    out += kStreamEnd;
}

void CBPdfStream::WriteTo(std::string& out) const {
    if (dictionary_) {
        dictionary_->AppendTo(out);
    }
    out += kStreamStart;
    if (raw_ != nullptr) {
        out.append(reinterpret_cast<const char*>(raw_), length_);
    }
    out += kStreamEnd;
}

void CBPdfStream::SetData(const std::string& text) {
    text_ = text;
    ownedData_ = text;
    raw_ = reinterpret_cast<const unsigned char*>(ownedData_.data());
    length_ = ownedData_.size();
}

void CBPdfStream::SetRawData(const unsigned char* data, size_t length) {
    raw_ = data;
    length_ = data != nullptr ? length : 0;
}

void CBPdfStream::SetDictionary(std::unique_ptr<CBPdfDictionary> dictionary) {
    dictionary_ = std::move(dictionary);
}

} // namespace component::pdf

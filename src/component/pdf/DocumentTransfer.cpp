#include "component/pdf/DocumentTransfer.h"

#include "component/content/QNContent.h"
#include "component/pdf/PdfSign.h"
#include "stream/ByteBuffer.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace component::pdf {

namespace {

content::CContent* ours(content::IQNContent* content) {
    auto* own = dynamic_cast<content::QNContent*>(content);
    return own != nullptr ? &own->content() : nullptr;
}

// setBASE64 with the text a PdfSign gave as bytes (one character per byte), widened as the
// script host widens it.
HRESULT setBase64Text(content::IQNContent* content, const com::BStr& text) {
    if (content == nullptr) {
        return E_POINTER;
    }
    UINT length = text.byteLength();
    com::BStr wide = com::BStr::attach(SysAllocStringLen(nullptr, length));
    if (length > 0 && !wide.get()) {
        return E_OUTOFMEMORY;
    }
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.get());
    for (UINT i = 0; i < length; ++i) {
        wide.get()[i] = bytes[i];
    }
    return content->setBASE64(wide.get());
}

} // namespace

HRESULT DocumentTransfer::bytesToSign(IPdfSign* pdf, LONG index, content::IQNContent* content) {
    auto* ownPdf = dynamic_cast<PdfSign*>(pdf);
    content::CContent* target = ours(content);
    if (ownPdf != nullptr && target != nullptr) {
        std::optional<std::vector<std::string_view>> ranges;
        HRESULT hr = ownPdf->GetBytesB64ToSign(index, ranges);
        if (SUCCEEDED(hr)) {
            target->setBASE64Bytes(ranges ? *ranges : std::vector<std::string_view>());
        }
        return hr;
    }
    com::BStr text;
    HRESULT hr = pdf->GetBytesB64ToSign(index, text.out());
    if (FAILED(hr)) {
        return hr;
    }
    HRESULT set = setBase64Text(content, text);
    return FAILED(set) ? set : hr;
}

HRESULT DocumentTransfer::signedDocument(com::ComPtr<IPdfSign> pdf, content::IQNContent* ranges,
                                         content::IQNContent* target) {
    auto* ownPdf = dynamic_cast<PdfSign*>(pdf.get());
    content::CContent* out = ours(target);
    if (ownPdf == nullptr || out == nullptr) {
        com::BStr text;
        HRESULT hr = pdf->GetAllB64Bytes(text.out());
        if (FAILED(hr)) {
            return hr;
        }
        HRESULT set = setBase64Text(target, text);
        return FAILED(set) ? set : hr;
    }
    std::optional<std::string_view> document;
    HRESULT hr = ownPdf->GetAllB64Bytes(document);
    if (FAILED(hr)) {
        return hr;
    }
    if (!document) {
        out->setBASE64Bytes(std::vector<std::string_view>());
        return hr;
    }
    // The signature created last is the value between the two signed ranges.
    const content::CContent* signedRanges = ours(ranges);
    const int64_t gapStart = ownPdf->Engine().GetPlaceholderOffset();
    const int64_t gapLength = ownPdf->Engine().GetPlaceholderLength() + 2;
    const auto size = static_cast<int64_t>(document->size());
    if (signedRanges == nullptr || gapStart < 0 || gapStart + gapLength > size ||
        static_cast<int64_t>(signedRanges->size()) + gapLength != size) {
        out->setBASE64Bytes(std::vector<std::string_view>{*document});
        return hr;
    }
    std::string value(
        document->substr(static_cast<size_t>(gapStart), static_cast<size_t>(gapLength)));
    document.reset();
    ownPdf = nullptr;
    pdf.reset();
    std::string_view kept = signedRanges->buffer().view();
    stream::ByteBuffer assembled;
    assembled.reserve(kept.size() + value.size());
    assembled.prefault(kept.size() + value.size());
    assembled.append(kept.substr(0, static_cast<size_t>(gapStart)));
    assembled.append(value);
    assembled.append(kept.substr(static_cast<size_t>(gapStart)));
    out->setBASE64Bytes(std::move(assembled));
    return hr;
}

} // namespace component::pdf

#include "component/pdf/DocumentText.h"

#include "component/content/QNContent.h"
#include "component/pdf/PdfSign.h"
#include "stream/RawCodecs.h"

#include <cstdint>

namespace component::pdf {

DocumentText DocumentText::of(content::IQNContent* content) {
    DocumentText text;
    if (content == nullptr) {
        return text;
    }
    if (auto* own = dynamic_cast<content::QNContent*>(content)) {
        text.bytes_ = own->content().toBASE64Bytes();
        return text;
    }
    text.taken_ = content->toBASE64(text.text_.out());
    return text;
}

HRESULT DocumentText::loadInto(IPdfSign* pdf) const {
    if (FAILED(taken_)) {
        return taken_;
    }
    auto* own = dynamic_cast<PdfSign*>(pdf);
    if (own != nullptr && bytes_) {
        return own->Set_Base64(Base64Decoded{*bytes_});
    }
    if (!bytes_) {
        return pdf->Set_Base64(text_.get());
    }
    // Bytes of ours for a PdfSign that is not: it gets the text after all.
    const auto* data = reinterpret_cast<const unsigned char*>(bytes_->data());
    size_t length = stream::base64EncodeRaw(nullptr, data, bytes_->size());
    if (length > INT32_MAX) {
        return E_OUTOFMEMORY;
    }
    com::BStr text = com::BStr::attach(SysAllocStringLen(nullptr, static_cast<UINT>(length)));
    if (!text.get()) {
        return E_OUTOFMEMORY;
    }
    stream::base64EncodeRawWide(text.get(), data, bytes_->size());
    return pdf->Set_Base64(text.get());
}

} // namespace component::pdf

#include "component/pdf/CBPdfReference.h"

#include "component/pdf/PdfNumbers.h"

namespace component::pdf {

CBPdfReference::CBPdfReference(CBPdfObject* parent, std::string text)
    : CBPdfObject(parent), text_(std::move(text)) {}

int32_t CBPdfReference::GetNumber() const {
    return pdfAtol(text_);
}

} // namespace component::pdf

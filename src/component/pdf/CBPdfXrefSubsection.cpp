#include "component/pdf/CBPdfXrefSubsection.h"

#include "component/pdf/PdfNumbers.h"

namespace component::pdf {

CBPdfXrefSubsection::CBPdfXrefSubsection(int32_t first) : first_(first) {}

void CBPdfXrefSubsection::AddEntry(int64_t offset) {
    entries_ += fmtInt10(offset);
    entries_ += " 00000 n\r\n";
    ++count_;
}

std::string CBPdfXrefSubsection::header() const {
    return fmtInt(first_) + " " + fmtInt(count_) + "\r\n";
}

std::string CBPdfXrefSubsection::ToString() const {
    return header() + entries_;
}

size_t CBPdfXrefSubsection::GetStringSize() const {
    return header().size() + 20 * static_cast<size_t>(count_);
}

} // namespace component::pdf

#include "component/pdf/CBPdfXrefTable.h"

namespace component::pdf {

CBPdfXrefSubsection& CBPdfXrefTable::AddSubsection(int32_t first) {
    subsections_.emplace_back(first);
    return subsections_.back();
}

std::string CBPdfXrefTable::ToString() const {
    std::string out = "xref\r\n";
    for (const auto& subsection : subsections_) {
        out += subsection.ToString();
    }
    return out;
}

size_t CBPdfXrefTable::GetStringSize() const {
    size_t size = 6;
    for (const auto& subsection : subsections_) {
        size += subsection.GetStringSize();
    }
    return size;
}

} // namespace component::pdf

#include "component/pdf/CBPdfArray.h"

#include "component/pdf/PdfLog.h"

namespace component::pdf {

CBPdfArray::CBPdfArray(CBPdfObject* parent) : CBPdfObject(parent) {}

size_t CBPdfArray::GetStringSize() const {
    if (elements_.empty()) {
        return 2;
    }
    size_t size = 2 + elements_.size() - 1;
    for (const auto& element : elements_) {
        size += element->GetStringSize();
    }
    return size;
}

void CBPdfArray::AppendTo(std::string& out) const {
    out += '[';
    for (size_t i = 0; i < elements_.size(); ++i) {
        if (i > 0) {
            out += ' ';
        }
        elements_[i]->AppendTo(out);
    }
    out += ']';
}

void CBPdfArray::Add(std::unique_ptr<CBPdfObject> object) {
    pdfInfo("CBPdfArray::Add()  :: Anadiendo objeto.");
    elements_.push_back(std::move(object));
}

CBPdfObject* CBPdfArray::GetElement(size_t index) const {
    pdfInfo("CBPdfArray::GetElement()  :: Recogiendo elemento: .");
    return index < elements_.size() ? elements_[index].get() : nullptr;
}

size_t CBPdfArray::GetSize() const {
    pdfInfo("CBPdfArray::GetSize()  :: Entrando.");
    return elements_.size();
}

} // namespace component::pdf

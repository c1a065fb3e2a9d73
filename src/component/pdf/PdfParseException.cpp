#include "component/pdf/PdfParseException.h"

namespace component::pdf {

const std::string& PdfParseException::message() const noexcept {
    static const std::string text = "El PDF no tiene un formato legible.";
    return text;
}

} // namespace component::pdf

#include "component/pdf/CBPdfValue.h"

namespace component::pdf {

CBPdfValue::CBPdfValue(CBPdfObject* parent, std::string text)
    : CBPdfObject(parent), text_(std::move(text)) {}

CBPdfValue::CBPdfValue(CBPdfObject* parent, std::string text, std::string source)
    : CBPdfObject(parent), text_(std::move(text)), source_(std::move(source)) {
    if (source_ == text_) {
        source_.clear();
    }
}

} // namespace component::pdf

#include "component/pdf/CBPdfValue.h"

namespace component::pdf {

CBPdfValue::CBPdfValue(CBPdfObject* parent, std::string text)
    : CBPdfObject(parent), text_(std::move(text)) {}

} // namespace component::pdf

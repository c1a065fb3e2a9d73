#include "component/pdf/CBPdfReference.h"

namespace component::pdf {

CBPdfReference::CBPdfReference(CBPdfObject* parent, std::string text)
    : CBPdfObject(parent), text_(std::move(text)) {}

CBPdfObject* CBPdfReference::SetResolved(std::unique_ptr<CBPdfObject> object) {
    resolved_ = std::move(object);
    return resolved_.get();
}

} // namespace component::pdf

#include "component/pdf/CBPdfObject.h"

namespace component::pdf {

std::string CBPdfObject::ToString() const {
    std::string out;
    out.reserve(GetStringSize());
    AppendTo(out);
    return out;
}

} // namespace component::pdf

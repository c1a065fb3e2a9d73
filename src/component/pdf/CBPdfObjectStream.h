#pragma once

#include "component/pdf/CBRawPdf.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace component::pdf {

// An object stream (/Type /ObjStm) once decoded: the header of /N pairs "number offset" and
// the objects after /First, read with a lexer of their own.
class CBPdfObjectStream {
public:
    // Raises PdfParseException when the header does not hold count pairs before first, or an
    // offset lies outside the objects.
    CBPdfObjectStream(std::string_view data, int32_t count, int32_t first);

    // Where the object at index (which must carry that number) begins in Lexer(). Raises
    // PdfParseException when the index is outside the header or names another object.
    uint32_t Locate(int32_t number, uint32_t index) const;
    CBRawPdf& Lexer() noexcept { return lexer_; }

private:
    CBRawPdf lexer_;
    std::vector<std::pair<int32_t, uint32_t>> entries_;
};

} // namespace component::pdf

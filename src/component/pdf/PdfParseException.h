#pragma once

#include <string>

namespace component::pdf {

// The error of the PDF reader and lexer for malformed input. It is deliberately not a
// std::exception: callers that handle standard exceptions (the encrypted-document error) let
// it pass on to the scripting boundary.
class PdfParseException {
public:
    PdfParseException() = default;

    // The text reported to a script when the error reaches the scripting boundary.
    const std::string& message() const noexcept;
};

} // namespace component::pdf

#pragma once

#include <stdexcept>

namespace component::pdf {

// Raised when a parsed dictionary holds /Encrypt; callers recognise it by its text.
class PdfEncryptedException : public std::runtime_error {
public:
    PdfEncryptedException();
};

} // namespace component::pdf

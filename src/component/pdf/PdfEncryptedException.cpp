#include "component/pdf/PdfEncryptedException.h"

namespace component::pdf {

PdfEncryptedException::PdfEncryptedException() : std::runtime_error("PDF_ENCRYPTED") {}

} // namespace component::pdf

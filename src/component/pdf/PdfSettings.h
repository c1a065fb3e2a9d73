#pragma once

#include <functional>
#include <string>

namespace component::pdf {

// How the engine reads a named setting (absent = empty text). The default reader is the
// module's settings table; tests and embedders may install their own.
using PdfSettingsReader = std::function<std::string(const std::string& name)>;

PdfSettingsReader defaultPdfSettingsReader();

} // namespace component::pdf

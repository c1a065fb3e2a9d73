#include "component/pdf/PdfSettings.h"

#include "component/module/SettingsTable.h"

namespace component::pdf {

PdfSettingsReader defaultPdfSettingsReader() {
    return [](const std::string& name) { return module::SettingsTable::instance().get(name); };
}

} // namespace component::pdf

#include "component/content/BstrText.h"

#include "component/module/ComponentError.h"
#include "component/module/HResultText.h"
#include "component/module/ModuleLog.h"

namespace component::content {

std::string pathOf(BSTR text) {
    std::u16string_view wide(text == nullptr ? u"" : text, SysStringLen(text));
    if (wide.find(u'\0') != std::u16string_view::npos) {
        std::string message = module::hresultText(E_INVALIDARG);
        module::logError("Ruta de fichero con un caracter nulo: " + message);
        throw module::ComponentError(message, E_INVALIDARG);
    }
    return platform::system::Charset::toAnsi(wide);
}

} // namespace component::content

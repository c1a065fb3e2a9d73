#include "component/module/XmlText.h"

#include <xercesc/util/XMLString.hpp>

namespace component::module {

std::string xmlText(const XMLCh* text) {
    if (text == nullptr) {
        return {};
    }
    char* transcoded = xercesc::XMLString::transcode(text);
    std::string out = transcoded != nullptr ? transcoded : "";
    xercesc::XMLString::release(&transcoded);
    return out;
}

} // namespace component::module

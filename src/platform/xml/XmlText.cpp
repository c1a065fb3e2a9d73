#include "platform/xml/XmlText.h"

#include <type_traits>

#include <xercesc/util/XMLString.hpp>

#include "com/BStr.h"

namespace platform::xml {

static_assert(std::is_same_v<XMLCh, char16_t>, "Xerces-C must be built with char16_t XMLCh");

std::string toUtf8(const XMLCh* text) {
    if (text == nullptr) {
        return {};
    }
    return com::utf16ToUtf8(std::u16string_view(text, xercesc::XMLString::stringLen(text)));
}

std::string toUtf8(const XMLCh* text, size_t length) {
    if (text == nullptr) {
        return {};
    }
    return com::utf16ToUtf8(std::u16string_view(text, length));
}

XmlString::XmlString(std::string_view utf8) : text_(com::utf8ToUtf16(utf8)) {}

} // namespace platform::xml

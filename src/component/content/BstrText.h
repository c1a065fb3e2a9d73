#pragma once

#include <string>
#include <string_view>

#include "com/BStr.h"
#include "platform/system/Charset.h"

namespace component::content {

// The text of a BSTR in the ANSI code page, read in place (null is the empty text).
inline std::string ansiOf(BSTR text) {
    return platform::system::Charset::toAnsi(
        std::u16string_view(text == nullptr ? u"" : text, SysStringLen(text)));
}

} // namespace component::content

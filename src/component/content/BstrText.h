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

// The text of a BSTR that names a file, in the ANSI code page. A path with a NUL inside would
// be cut there by the system (naming another file than the caller meant): it is refused with
// the invalid-argument report, logged first.
std::string pathOf(BSTR text);

} // namespace component::content

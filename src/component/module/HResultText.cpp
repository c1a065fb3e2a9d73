#include "component/module/HResultText.h"

#include <cstdio>

#include "stream/SystemMessage.h"

namespace component::module {

std::string hresultText(int32_t hr) {
    uint32_t code = static_cast<uint32_t>(hr);
    std::string text = stream::SystemMessage::text(code);
    if (!text.empty()) {
        if (text.size() >= 2 && text.compare(text.size() - 2, 2, "\r\n") == 0) {
            text.resize(text.size() - 2);
        }
        return text;
    }
    char buffer[48];
    if (code >= 0x80040201u && code <= 0x8004FFFFu) {
        std::snprintf(buffer, sizeof buffer, "IDispatch error #%d",
                      static_cast<int>(code & 0xFFFFu) - 0x200);
    } else {
        std::snprintf(buffer, sizeof buffer, "Unknown error 0x%0lX",
                      static_cast<unsigned long>(code));
    }
    return buffer;
}

} // namespace component::module

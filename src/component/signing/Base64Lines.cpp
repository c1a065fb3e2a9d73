#include "component/signing/Base64Lines.h"

#include "stream/Base64.h"

namespace component::signing {

std::string base64Lines(const unsigned char* bytes, size_t size, std::string_view lineBreak) {
    constexpr size_t kLine = 64;
    std::string text =
        stream::Base64::encode(std::string_view(reinterpret_cast<const char*>(bytes), size));
    std::string out;
    out.reserve(text.size() + (text.size() / kLine + 1) * lineBreak.size());
    for (size_t at = 0; at < text.size(); at += kLine) {
        if (at != 0) {
            out.append(lineBreak);
        }
        out.append(text, at, kLine);
    }
    return out;
}

} // namespace component::signing

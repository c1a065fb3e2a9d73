#include "component/verification/Base64Lines.h"

#include <string_view>

#include "stream/Base64.h"

namespace component::verification {

std::string base64Lines(const std::vector<unsigned char>& bytes) {
    std::string flat = stream::Base64::encode(
        std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    std::string out;
    out.reserve(flat.size() + flat.size() / 32 + 2);
    for (size_t i = 0; i < flat.size(); i += 64) {
        if (i != 0) {
            out += "\r\n";
        }
        out.append(flat, i, 64);
    }
    return out;
}

} // namespace component::verification

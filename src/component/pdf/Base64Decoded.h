#pragma once

#include <string_view>

namespace component::pdf {

// The bytes a base64 text decodes to, held already by a caller that would otherwise have to
// encode them only for them to be decoded again: opened as that text would be (the same log
// lines, the same room for an update), without the text ever being made.
struct Base64Decoded {
    std::string_view bytes;
};

} // namespace component::pdf

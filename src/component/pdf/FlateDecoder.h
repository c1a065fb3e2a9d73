#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace component::pdf {

// The FlateDecode filter: zlib data inflated through zlib, never past a given size.
class FlateDecoder {
public:
    // The inflated bytes. Raises PdfParseException when the data is not zlib data or would
    // inflate past limit bytes. Data that ends before the zlib trailer (as some writers leave
    // it) gives what it inflated to.
    static std::string Decode(std::string_view data, size_t limit);
};

} // namespace component::pdf

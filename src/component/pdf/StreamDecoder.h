#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace component::pdf {

class CBPdfDictionary;

// The data of a stream the engine reads itself (cross-reference and object streams) with its
// /Filter and /DecodeParms undone: no filter, or FlateDecode with or without a PNG predictor.
class StreamDecoder {
public:
    // Raises PdfParseException for another filter, parameters that are not direct values,
    // bad data, or data that would decode to more than limit bytes.
    static std::string Decode(const CBPdfDictionary& dictionary, std::string_view data,
                              size_t limit);
};

} // namespace component::pdf

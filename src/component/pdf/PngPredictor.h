#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace component::pdf {

// The PNG predictors of the FlateDecode parameters (/Predictor 10 to 15): every row carries
// its own filter tag (None, Sub, Up, Average, Paeth) before the row's bytes.
class PngPredictor {
public:
    // The rows without their tags and filters undone. Raises PdfParseException for
    // parameters out of range or an unknown filter tag; a last row cut short is dropped.
    static std::string Decode(std::string_view data, int32_t colors, int32_t bitsPerComponent,
                              int32_t columns);
};

} // namespace component::pdf

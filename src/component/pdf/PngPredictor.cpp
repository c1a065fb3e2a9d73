#include "component/pdf/PngPredictor.h"

#include "component/pdf/PdfParseException.h"

#include <algorithm>
#include <cstdlib>

namespace component::pdf {

namespace {

unsigned char paeth(int left, int up, int upLeft) {
    const int estimate = left + up - upLeft;
    const int toLeft = std::abs(estimate - left);
    const int toUp = std::abs(estimate - up);
    const int toUpLeft = std::abs(estimate - upLeft);
    if (toLeft <= toUp && toLeft <= toUpLeft) {
        return static_cast<unsigned char>(left);
    }
    return static_cast<unsigned char>(toUp <= toUpLeft ? up : upLeft);
}

} // namespace

std::string PngPredictor::Decode(std::string_view data, int32_t colors, int32_t bitsPerComponent,
                                 int32_t columns) {
    if (colors < 1 || colors > 32 || columns < 1 ||
        (bitsPerComponent != 1 && bitsPerComponent != 2 && bitsPerComponent != 4 &&
         bitsPerComponent != 8 && bitsPerComponent != 16)) {
        throw PdfParseException();
    }
    const uint64_t rowBits = static_cast<uint64_t>(colors) * bitsPerComponent * columns;
    const uint64_t rowBytes = (rowBits + 7) / 8;
    if (rowBytes >= data.size()) {
        return std::string(); // not even one whole row (tag and bytes)
    }
    const size_t row = static_cast<size_t>(rowBytes);
    const size_t pixel = std::max<size_t>(1, static_cast<size_t>(colors * bitsPerComponent / 8));
    const size_t rows = data.size() / (row + 1);
    std::string out(rows * row, '\0');
    auto* o = reinterpret_cast<unsigned char*>(out.data());
    const auto* in = reinterpret_cast<const unsigned char*>(data.data());
    for (size_t r = 0; r < rows; ++r) {
        const unsigned char tag = in[r * (row + 1)];
        const unsigned char* source = in + r * (row + 1) + 1;
        unsigned char* current = o + r * row;
        const unsigned char* previous = r > 0 ? current - row : nullptr;
        for (size_t i = 0; i < row; ++i) {
            const int left = i >= pixel ? current[i - pixel] : 0;
            const int up = previous != nullptr ? previous[i] : 0;
            const int upLeft = previous != nullptr && i >= pixel ? previous[i - pixel] : 0;
            int predicted = 0;
            switch (tag) {
            case 0:
                break;
            case 1:
                predicted = left;
                break;
            case 2:
                predicted = up;
                break;
            case 3:
                predicted = (left + up) / 2;
                break;
            case 4:
                predicted = paeth(left, up, upLeft);
                break;
            default:
                throw PdfParseException();
            }
            current[i] = static_cast<unsigned char>(source[i] + predicted);
        }
    }
    return out;
}

} // namespace component::pdf

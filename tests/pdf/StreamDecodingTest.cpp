// The decoders of the streams the reader undoes itself: zlib through FlateDecoder, the PNG
// predictors, and the filter parameters as a stream dictionary gives them.
#include "PdfTestSupport.h"

#include "component/pdf/CBPdfArray.h"
#include "component/pdf/CBPdfDictionary.h"
#include "component/pdf/CBPdfValue.h"
#include "component/pdf/FlateDecoder.h"
#include "component/pdf/PdfParseException.h"
#include "component/pdf/PngPredictor.h"
#include "component/pdf/StreamDecoder.h"

using namespace component::pdf;

namespace {

std::string sample(size_t size) {
    std::string bytes;
    for (size_t i = 0; i < size; ++i) {
        bytes += static_cast<char>((i * 7 + i / 13) & 0xFF);
    }
    return bytes;
}

// Rows of `row` bytes filtered with one PNG filter each (the tags cycle through 0..4).
std::string pngEncode(const std::string& raw, size_t row, size_t pixel) {
    std::string out;
    std::string previous(row, '\0');
    for (size_t r = 0; r * row < raw.size(); ++r) {
        std::string current = raw.substr(r * row, row);
        const int tag = static_cast<int>(r % 5);
        out += static_cast<char>(tag);
        for (size_t i = 0; i < row; ++i) {
            const int left = i >= pixel ? static_cast<unsigned char>(current[i - pixel]) : 0;
            const int up = static_cast<unsigned char>(previous[i]);
            const int upLeft = i >= pixel ? static_cast<unsigned char>(previous[i - pixel]) : 0;
            int predicted = 0;
            if (tag == 1) {
                predicted = left;
            } else if (tag == 2) {
                predicted = up;
            } else if (tag == 3) {
                predicted = (left + up) / 2;
            } else if (tag == 4) {
                const int p = left + up - upLeft;
                const int pa = std::abs(p - left), pb = std::abs(p - up), pc = std::abs(p - upLeft);
                predicted = pa <= pb && pa <= pc ? left : (pb <= pc ? up : upLeft);
            }
            out += static_cast<char>(static_cast<unsigned char>(current[i]) - predicted);
        }
        previous = current;
    }
    return out;
}

std::unique_ptr<CBPdfDictionary> dictionary(const std::map<std::string, std::string>& values) {
    auto d = std::make_unique<CBPdfDictionary>(nullptr);
    for (const auto& [key, text] : values) {
        d->Add(key, std::make_unique<CBPdfValue>(d.get(), text));
    }
    return d;
}

} // namespace

TEST(FlateDecoder, InflatesWhatZlibDeflatedAndStopsAtTheLimit) {
    const std::string bytes = sample(300000);
    const std::string packed = pdftest::deflate(bytes);
    EXPECT_EQ(FlateDecoder::Decode(packed, bytes.size()), bytes);
    EXPECT_THROW(FlateDecoder::Decode(packed, bytes.size() - 1), PdfParseException);
    // Data cut before the zlib trailer gives what it inflated to.
    const std::string cut = FlateDecoder::Decode(packed.substr(0, packed.size() - 4), 1 << 20);
    EXPECT_EQ(cut, bytes.substr(0, cut.size()));
    EXPECT_GT(cut.size(), bytes.size() / 2);
}

TEST(FlateDecoder, RefusesDataThatIsNotZlib) {
    EXPECT_THROW(FlateDecoder::Decode("not zlib at all", 1000), PdfParseException);
    std::string damaged = pdftest::deflate(sample(5000));
    damaged[damaged.size() / 2] ^= 0x55;
    damaged[damaged.size() / 2 + 1] ^= 0x33;
    EXPECT_THROW(FlateDecoder::Decode(damaged, 1 << 20), PdfParseException);
}

TEST(FlateDecoder, ABombStopsAtTheLimitWithoutInflatingIt) {
    const std::string bomb = pdftest::deflate(std::string(16 << 20, '\0'));
    ASSERT_LT(bomb.size(), 32u * 1024);
    EXPECT_THROW(FlateDecoder::Decode(bomb, 1 << 20), PdfParseException);
}

TEST(PngPredictor, UndoesEveryFilterForOneAndSeveralBytesPerPixel) {
    for (int colors : {1, 3}) {
        for (int bits : {8, 16}) {
            SCOPED_TRACE(std::to_string(colors) + " colours of " + std::to_string(bits));
            const int columns = 11;
            const size_t pixel = static_cast<size_t>(colors * bits / 8);
            const size_t row = pixel * columns;
            const std::string raw = sample(row * 17);
            EXPECT_EQ(PngPredictor::Decode(pngEncode(raw, row, pixel), colors, bits, columns), raw);
        }
    }
}

TEST(PngPredictor, RefusesBadParametersAndTagsAndDropsACutRow) {
    const std::string raw = sample(7 * 4);
    const std::string encoded = pngEncode(raw, 7, 1);
    EXPECT_THROW(PngPredictor::Decode(encoded, 0, 8, 7), PdfParseException);
    EXPECT_THROW(PngPredictor::Decode(encoded, 1, 7, 7), PdfParseException);
    EXPECT_THROW(PngPredictor::Decode(encoded, 1, 8, 0), PdfParseException);
    std::string badTag = encoded;
    badTag[8] = 5;
    EXPECT_THROW(PngPredictor::Decode(badTag, 1, 8, 7), PdfParseException);
    EXPECT_EQ(PngPredictor::Decode(encoded.substr(0, encoded.size() - 3), 1, 8, 7),
              raw.substr(0, 21));
    // Enormous columns never allocate anything.
    EXPECT_EQ(PngPredictor::Decode(encoded, 32, 16, 2147483647), "");
}

TEST(StreamDecoder, FollowsFilterAndDecodeParms) {
    const std::string raw = sample(7 * 9);
    auto plain = dictionary({{"/Length", "63"}});
    EXPECT_EQ(StreamDecoder::Decode(*plain, raw, 1000), raw);
    EXPECT_THROW(StreamDecoder::Decode(*plain, raw, 10), PdfParseException);

    auto flate = dictionary({{"/Filter", "/FlateDecode"}});
    EXPECT_EQ(StreamDecoder::Decode(*flate, pdftest::deflate(raw), 1000), raw);

    auto predicted = dictionary({{"/Filter", "/FlateDecode"}});
    auto parameters = std::make_unique<CBPdfDictionary>(predicted.get());
    parameters->Add("/Predictor", std::make_unique<CBPdfValue>(parameters.get(), "12"));
    parameters->Add("/Columns", std::make_unique<CBPdfValue>(parameters.get(), "7"));
    auto array = std::make_unique<CBPdfArray>(predicted.get());
    array->Add(std::move(parameters));
    predicted->Add("/DecodeParms", std::move(array));
    EXPECT_EQ(StreamDecoder::Decode(*predicted, pdftest::deflate(pngEncode(raw, 7, 1)), 1000), raw);

    auto other = dictionary({{"/Filter", "/LZWDecode"}});
    EXPECT_THROW(StreamDecoder::Decode(*other, raw, 1000), PdfParseException);
    // The TIFF predictor is not one these streams use.
    auto tiff = dictionary({{"/Filter", "/FlateDecode"}});
    auto tiffParameters = std::make_unique<CBPdfDictionary>(tiff.get());
    tiffParameters->Add("/Predictor", std::make_unique<CBPdfValue>(tiffParameters.get(), "2"));
    tiff->Add("/DecodeParms", std::move(tiffParameters));
    EXPECT_THROW(StreamDecoder::Decode(*tiff, pdftest::deflate(raw), 1000), PdfParseException);
}

// Base64 text as scripts pass it: to the content object (the streaming decoder, slice by
// slice, as setBASE64 feeds it) and to the PDF loader (narrow and UTF-16 text, then the
// document). Whatever the text, nothing crashes; and the input's own bytes, encoded, decode
// back to themselves through every decoder.
#include "component/pdf/CPdfSign.h"
#include "component/pdf/PdfBase64.h"
#include "stream/Base64.h"
#include "stream/RawCodecs.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <exception>
#include <string>
#include <string_view>

using component::pdf::CPdfSign;
using component::pdf::PdfBase64;

namespace {

std::string streamDecode(std::string_view text, size_t slice) {
    stream::Base64 decoder(stream::Base64::DECODE, 64);
    std::string out;
    std::string piece;
    for (size_t from = 0; from < text.size(); from += slice) {
        std::string_view part = text.substr(from, slice);
        decoder.update(reinterpret_cast<const unsigned char*>(part.data()), part.size(), piece);
        out += piece;
        piece.clear();
    }
    decoder.finish(piece);
    return out + piece;
}

std::u16string widen(std::string_view text) {
    return std::u16string(text.begin(), text.end());
}

void require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const size_t slice = size == 0 ? 1 : 1 + data[0] % 7;

    // Arbitrary text into every decoder.
    streamDecode(bytes, slice);
    PdfBase64::decode(bytes);
    std::u16string wide;
    for (size_t i = 0; i + 1 < size; i += 2) {
        wide.push_back(static_cast<char16_t>(data[i] << 8 | data[i + 1]));
    }
    PdfBase64::decodeUtf16(wide);
    try {
        CPdfSign engine([](const std::string&) { return std::string(); });
        engine.LoadPdfPtrBase64(std::u16string_view(wide));
        engine.LoadPdfPtrBase64(bytes);
    } catch (const std::exception&) {
    } catch (...) {
    }

    // The bytes encoded, wrapped as encoders wrap them, decode to the same bytes.
    std::string encoded = stream::Base64::encode(bytes);
    std::string raw(stream::base64EncodeRaw(nullptr, nullptr, bytes.size()), '\0');
    stream::base64EncodeRaw(raw.data(), reinterpret_cast<const unsigned char*>(bytes.data()),
                            bytes.size());
    require(raw == encoded);
    std::string wrapped;
    for (size_t i = 0; i < encoded.size(); i += 76) {
        wrapped += encoded.substr(i, 76) + "\r\n";
    }
    require(streamDecode(encoded, slice) == bytes);
    require(streamDecode(wrapped, slice) == bytes);
    require(PdfBase64::decode(wrapped) == bytes);
    require(PdfBase64::decodeUtf16(widen(wrapped)) == bytes);
    return 0;
}

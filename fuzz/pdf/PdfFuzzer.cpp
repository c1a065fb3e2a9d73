// Loads arbitrary bytes as a PDF (as Set_Data does) and, when they load, builds a signature
// on the first and the last page, reads the bytes to sign and fills the placeholder. A
// signature that cannot be built must leave the document byte for byte as it was.
#include "component/pdf/CPdfSign.h"
#include "component/pdf/PdfParseException.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <exception>
#include <string>
#include <string_view>

using component::pdf::CPdfSign;
using component::pdf::PdfParseException;

namespace {

std::string setting(const std::string& name) {
    return name == "PDF_INTERNAL_PKCS7_SIZE" ? "64" : "";
}

void exercise(CPdfSign& engine, std::string_view bytes) {
    if (!engine.LoadPdfPtr(bytes)) {
        return;
    }
    int32_t pages = engine.GetMaxPag();
    engine.GetRotatePag(pages);
    for (int32_t i = 0; i < engine.CountSigns(); ++i) {
        engine.GetFieldName(i);
        engine.GetContents(i);
        engine.GetSignedBytes(i);
    }
    for (int32_t page : {1, pages}) {
        // A CreateSignature that fails leaves the document exactly as it was.
        const std::string before = engine.GetPdf();
        bool built = false;
        try {
            built = engine.CreateSignature(page, 10, 10, 200, 80, u"", "Fuzz \\(x\\)", "Courier",
                                           12, page == 1 ? 0 : 90, page != 1);
        } catch (...) {
            if (engine.GetPdf() != before) {
                std::abort();
            }
            throw;
        }
        if (!built) {
            if (engine.GetPdf() != before) {
                std::abort();
            }
            continue;
        }
        engine.GetSignedBytes(engine.CountSigns() - 1);
        engine.InsertSign(std::string(32, 'A'));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CPdfSign engine(setting);
    try {
        exercise(engine, std::string_view(reinterpret_cast<const char*>(data), size));
    } catch (const PdfParseException&) {
    } catch (const std::exception&) {
    }
    return 0;
}

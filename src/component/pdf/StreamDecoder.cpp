#include "component/pdf/StreamDecoder.h"

#include "component/pdf/CBPdfArray.h"
#include "component/pdf/CBPdfDictionary.h"
#include "component/pdf/CBPdfValue.h"
#include "component/pdf/FlateDecoder.h"
#include "component/pdf/PdfNumbers.h"
#include "component/pdf/PdfParseException.h"
#include "component/pdf/PngPredictor.h"

namespace component::pdf {

namespace {

// A filter name, alone or as the only element of an array; empty for none.
std::string filterName(const CBPdfObject* filter) {
    if (filter == nullptr) {
        return std::string();
    }
    if (filter->GetTypeName() == "Array") {
        const auto* array = static_cast<const CBPdfArray*>(filter);
        if (array->GetSize() == 0) {
            return std::string();
        }
        if (array->GetSize() != 1) {
            throw PdfParseException(); // chains of filters are not used for these streams
        }
        filter = array->GetElement(0);
    }
    if (filter->GetTypeName() != "Value") {
        throw PdfParseException();
    }
    return static_cast<const CBPdfValue*>(filter)->GetText();
}

const CBPdfDictionary* decodeParameters(const CBPdfObject* parameters) {
    if (parameters != nullptr && parameters->GetTypeName() == "Array") {
        const auto* array = static_cast<const CBPdfArray*>(parameters);
        parameters = array->GetSize() == 1 ? array->GetElement(0) : nullptr;
    }
    if (parameters == nullptr || parameters->GetTypeName() == "Value") {
        return nullptr; // none, or null
    }
    if (parameters->GetTypeName() != "Dictionary") {
        throw PdfParseException();
    }
    return static_cast<const CBPdfDictionary*>(parameters);
}

int32_t integer(const CBPdfDictionary& dictionary, const char* key, int32_t otherwise) {
    const CBPdfObject* value = dictionary.Lookup(key);
    if (value == nullptr) {
        return otherwise;
    }
    if (value->GetTypeName() != "Value") {
        throw PdfParseException();
    }
    return pdfAtol(static_cast<const CBPdfValue*>(value)->GetText());
}

} // namespace

std::string StreamDecoder::Decode(const CBPdfDictionary& dictionary, std::string_view data,
                                  size_t limit) {
    const std::string filter = filterName(dictionary.Lookup("/Filter"));
    if (filter.empty()) {
        if (data.size() > limit) {
            throw PdfParseException();
        }
        return std::string(data);
    }
    if (filter != "/FlateDecode" && filter != "/Fl") {
        throw PdfParseException();
    }
    std::string inflated = FlateDecoder::Decode(data, limit);
    const CBPdfDictionary* parameters = decodeParameters(dictionary.Lookup("/DecodeParms"));
    if (parameters == nullptr) {
        return inflated;
    }
    const int32_t predictor = integer(*parameters, "/Predictor", 1);
    if (predictor == 1) {
        return inflated;
    }
    if (predictor < 10 || predictor > 15) {
        throw PdfParseException(); // the TIFF predictor is not used for these streams
    }
    return PngPredictor::Decode(inflated, integer(*parameters, "/Colors", 1),
                                integer(*parameters, "/BitsPerComponent", 8),
                                integer(*parameters, "/Columns", 1));
}

} // namespace component::pdf

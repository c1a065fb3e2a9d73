#include "component/pdf/CBPdfObjectStream.h"

#include "component/pdf/PdfParseException.h"

#include <limits>

namespace component::pdf {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\r' || c == '\n' || c == '\t' || c == '\f' || c == '\0';
}

// The next unsigned integer of the header, before end.
uint32_t headerNumber(std::string_view data, size_t& at, size_t end) {
    while (at < end && isBlank(data[at])) {
        ++at;
    }
    if (at >= end || data[at] < '0' || data[at] > '9') {
        throw PdfParseException();
    }
    uint64_t value = 0;
    while (at < end && data[at] >= '0' && data[at] <= '9') {
        value = value * 10 + static_cast<uint64_t>(data[at] - '0');
        if (value > static_cast<uint64_t>(std::numeric_limits<int32_t>::max())) {
            throw PdfParseException();
        }
        ++at;
    }
    return static_cast<uint32_t>(value);
}

} // namespace

CBPdfObjectStream::CBPdfObjectStream(std::string_view data, int32_t count, int32_t first) {
    // Each pair takes at least four bytes ("1 2 "), which bounds count before anything is
    // reserved for it.
    if (count < 0 || first < 0 || static_cast<uint64_t>(first) > data.size() ||
        static_cast<uint64_t>(count) * 4 > static_cast<uint64_t>(first) + 1) {
        throw PdfParseException();
    }
    const size_t end = static_cast<size_t>(first);
    const uint64_t objectsSize = data.size() - end;
    entries_.reserve(static_cast<size_t>(count));
    size_t at = 0;
    for (int32_t i = 0; i < count; ++i) {
        const uint32_t number = headerNumber(data, at, end);
        const uint32_t offset = headerNumber(data, at, end);
        if (offset >= objectsSize) {
            throw PdfParseException();
        }
        entries_.emplace_back(static_cast<int32_t>(number), static_cast<uint32_t>(end) + offset);
    }
    if (!lexer_.Open(data)) {
        throw PdfParseException();
    }
}

uint32_t CBPdfObjectStream::Locate(int32_t number, uint32_t index) const {
    if (index >= entries_.size() || entries_[index].first != number) {
        throw PdfParseException();
    }
    return entries_[index].second;
}

} // namespace component::pdf

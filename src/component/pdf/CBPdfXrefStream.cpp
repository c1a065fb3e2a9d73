#include "component/pdf/CBPdfXrefStream.h"

#include "component/pdf/CBPdfArray.h"
#include "component/pdf/CBPdfDictionary.h"
#include "component/pdf/CBPdfStream.h"
#include "component/pdf/CBPdfValue.h"
#include "component/pdf/PdfNumbers.h"
#include "component/pdf/PdfParseException.h"

#include <algorithm>
#include <limits>

namespace component::pdf {

namespace {

// Widths wider than this cannot be offsets, numbers or generations of a 32-bit document.
constexpr int32_t kMaxFieldWidth = 8;

std::vector<int64_t> integers(const CBPdfObject* object) {
    if (object == nullptr || object->GetTypeName() != "Array") {
        throw PdfParseException();
    }
    const auto* array = static_cast<const CBPdfArray*>(object);
    std::vector<int64_t> values;
    for (size_t i = 0; i < array->GetSize(); ++i) {
        const CBPdfObject* element = array->GetElement(i);
        if (element->GetTypeName() != "Value") {
            throw PdfParseException();
        }
        const std::string& text = static_cast<const CBPdfValue*>(element)->GetText();
        if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos) {
            throw PdfParseException(); // widths and ranges are unsigned integers
        }
        values.push_back(pdfAtol(text));
    }
    return values;
}

uint64_t field(const unsigned char* at, int64_t width) {
    uint64_t value = 0;
    for (int64_t i = 0; i < width; ++i) {
        value = (value << 8) | at[i];
    }
    return value;
}

void appendBigEndian(std::string& out, uint64_t value, int bytes) {
    for (int i = bytes - 1; i >= 0; --i) {
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
    }
}

} // namespace

void CBPdfXrefStream::Read(const CBPdfDictionary& dictionary, std::string_view data,
                           const std::function<void(const Entry&)>& add) {
    const std::vector<int64_t> widths = integers(dictionary.Lookup("/W"));
    if (widths.size() != 3) {
        throw PdfParseException();
    }
    int64_t row = 0;
    for (int64_t width : widths) {
        if (width > kMaxFieldWidth) {
            throw PdfParseException();
        }
        row += width;
    }
    if (row == 0) {
        throw PdfParseException();
    }
    std::vector<int64_t> ranges;
    if (dictionary.Lookup("/Index") != nullptr) {
        ranges = integers(dictionary.Lookup("/Index"));
    } else {
        const CBPdfObject* size = dictionary.Lookup("/Size");
        if (size == nullptr || size->GetTypeName() != "Value") {
            throw PdfParseException();
        }
        ranges = {0, pdfAtol(static_cast<const CBPdfValue*>(size)->GetText())};
    }
    if (ranges.size() % 2 != 0) {
        throw PdfParseException();
    }
    // Every range must fit in the data before any entry is taken.
    uint64_t total = 0;
    for (size_t i = 0; i < ranges.size(); i += 2) {
        const int64_t first = ranges[i];
        const int64_t count = ranges[i + 1];
        if (first < 0 || count < 0 || first + count - 1 > std::numeric_limits<int32_t>::max()) {
            throw PdfParseException();
        }
        total += static_cast<uint64_t>(count);
        if (total * static_cast<uint64_t>(row) > data.size()) {
            throw PdfParseException();
        }
    }
    const auto* bytes = reinterpret_cast<const unsigned char*>(data.data());
    size_t at = 0;
    for (size_t i = 0; i < ranges.size(); i += 2) {
        for (int64_t n = 0; n < ranges[i + 1]; ++n) {
            Entry entry;
            entry.number = static_cast<int32_t>(ranges[i] + n);
            // A stream without a type field lists objects in use.
            entry.type = widths[0] == 0 ? 1u : static_cast<uint32_t>(field(bytes + at, widths[0]));
            entry.second = field(bytes + at + widths[0], widths[1]);
            entry.third = field(bytes + at + widths[0] + widths[1], widths[2]);
            at += static_cast<size_t>(row);
            add(entry);
        }
    }
}

void CBPdfXrefStream::AddEntry(int32_t number, int64_t offset) {
    entries_.emplace_back(number, offset);
}

void CBPdfXrefStream::SetOffset(int32_t number, int64_t offset) {
    for (auto& entry : entries_) {
        if (entry.first == number) {
            entry.second = offset;
        }
    }
}

std::unique_ptr<CBPdfStream> CBPdfXrefStream::Build(const CBPdfDictionary* previousTrailer,
                                                    int64_t size, int64_t prev) const {
    std::vector<std::pair<int32_t, int64_t>> sorted = entries_;
    std::sort(sorted.begin(), sorted.end());
    std::string data;
    std::string index;
    for (size_t i = 0; i < sorted.size();) {
        size_t j = i + 1;
        while (j < sorted.size() && sorted[j].first == sorted[j - 1].first + 1) {
            ++j;
        }
        if (!index.empty()) {
            index += ' ';
        }
        index += fmtInt(sorted[i].first) + " " + fmtInt(static_cast<int64_t>(j - i));
        for (; i < j; ++i) {
            data += '\x01';
            appendBigEndian(data, static_cast<uint64_t>(sorted[i].second), 4);
            appendBigEndian(data, 0, 2);
        }
    }
    auto dictionary = std::make_unique<CBPdfDictionary>(nullptr);
    CBPdfDictionary* d = dictionary.get();
    auto add = [d](const char* key, std::string text) {
        d->Add(key, std::make_unique<CBPdfValue>(d, std::move(text)));
    };
    add("/Type", "/XRef");
    add("/Size", fmtInt(size));
    if (previousTrailer != nullptr) {
        for (const char* key : {"/Root", "/Info", "/ID"}) {
            if (const CBPdfObject* carried = previousTrailer->Lookup(key)) {
                add(key, carried->ToString());
            }
        }
    }
    add("/Prev", fmtInt(prev));
    add("/W", "[1 4 2]");
    add("/Index", "[" + index + "]");
    add("/Length", fmtInt(static_cast<int64_t>(data.size())));
    auto stream = std::make_unique<CBPdfStream>(nullptr, std::move(dictionary));
    stream->GetDictionary()->SetParent(stream.get());
    stream->SetData(data);
    return stream;
}

} // namespace component::pdf

#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace component::pdf {

class CBPdfDictionary;
class CBPdfStream;

// A cross-reference stream (/Type /XRef). Reading: the entries of a decoded stream by its /W
// and /Index. Writing: the stream an incremental update ends with, uncompressed, with the
// widths /W [1 4 2] and one /Index pair for each run of consecutive numbers.
class CBPdfXrefStream {
public:
    struct Entry {
        int32_t number = 0;
        // 0 free, 1 in use at an offset, 2 stored in an object stream.
        uint32_t type = 0;
        // Offset (type 1) or number of the object stream (type 2).
        uint64_t second = 0;
        // Generation (type 1) or index inside the object stream (type 2).
        uint64_t third = 0;
    };

    // Calls add for every entry of the section, in the order of the stream. Raises
    // PdfParseException for /W or /Index out of range and data shorter than they announce.
    static void Read(const CBPdfDictionary& dictionary, std::string_view data,
                     const std::function<void(const Entry&)>& add);

    // Entries of the stream being written: an object in use at offset.
    void AddEntry(int32_t number, int64_t offset);
    // Changes the offset of an entry added before (the stream's own, known last).
    void SetOffset(int32_t number, int64_t offset);
    // The stream object: /Type /XRef, /Size, the previous trailer's /Root, /Info and /ID when
    // it has them, /Prev, /W, /Index, /Length and the entries. Its size does not depend on the
    // offsets.
    std::unique_ptr<CBPdfStream> Build(const CBPdfDictionary* previousTrailer, int64_t size,
                                       int64_t prev) const;

private:
    std::vector<std::pair<int32_t, int64_t>> entries_;
};

} // namespace component::pdf

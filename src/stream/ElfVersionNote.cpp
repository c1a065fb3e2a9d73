#include "stream/ElfVersionNote.h"

#include <cstring>
#include <string_view>
#include <vector>

#include "stream/FileInputStream.h"
#include "stream/FileVersionNote.h"

namespace stream {

namespace {

constexpr uint32_t kSectionTypeNote = 7; // SHT_NOTE
constexpr uint32_t kSegmentTypeNote = 4; // PT_NOTE
constexpr uint64_t kMaxNoteArea = 1u << 20;
constexpr size_t kMaxHeaders = 65535;

// Byte-order and width aware reads over a block of bytes; every read is bounds-checked.
class ElfBytes {
public:
    ElfBytes(const std::vector<unsigned char>& bytes, bool littleEndian)
        : bytes_(bytes), little_(littleEndian) {}

    bool has(uint64_t offset, uint64_t n) const {
        return offset <= bytes_.size() && n <= bytes_.size() - offset;
    }
    uint64_t read(uint64_t offset, unsigned width) const {
        uint64_t value = 0;
        for (unsigned i = 0; i < width; ++i) {
            unsigned index = little_ ? width - 1 - i : i;
            value = (value << 8) | bytes_[offset + index];
        }
        return value;
    }

private:
    const std::vector<unsigned char>& bytes_;
    bool little_;
};

struct ElfLayout {
    bool is64;
    bool little;
    uint64_t fileSize;
};

struct Area {
    uint64_t offset;
    uint64_t size;
};

bool readAt(FileInputStream& input, uint64_t offset, uint64_t n, std::vector<unsigned char>& out) {
    if (offset > input.size() || n > input.size() - offset) {
        return false;
    }
    out.assign(static_cast<size_t>(n), 0);
    input.seek(offset);
    return input.read(out.data(), out.size()) == out.size();
}

// The note areas listed by a header table (sections or program headers).
std::vector<Area> noteAreas(FileInputStream& input, const ElfLayout& layout, uint64_t tableOffset,
                            uint64_t entrySize, uint64_t count, bool sections) {
    std::vector<Area> areas;
    // Offsets of type, file offset and size inside one entry, and their widths.
    const uint64_t typeAt = sections ? 4 : 0;
    const uint64_t offsetAt = sections ? (layout.is64 ? 24 : 16) : (layout.is64 ? 8 : 4);
    const uint64_t sizeAt = sections ? (layout.is64 ? 32 : 20) : (layout.is64 ? 32 : 16);
    const unsigned word = layout.is64 ? 8 : 4;
    if (count == 0 || count > kMaxHeaders || entrySize < sizeAt + word || entrySize > 4096) {
        return areas;
    }
    std::vector<unsigned char> table;
    if (!readAt(input, tableOffset, entrySize * count, table)) {
        return areas;
    }
    ElfBytes bytes(table, layout.little);
    for (uint64_t i = 0; i < count; ++i) {
        uint64_t entry = i * entrySize;
        if (bytes.read(entry + typeAt, 4) != (sections ? kSectionTypeNote : kSegmentTypeNote)) {
            continue;
        }
        uint64_t offset = bytes.read(entry + offsetAt, word);
        uint64_t size = bytes.read(entry + sizeAt, word);
        if (size > 0 && size <= kMaxNoteArea && offset <= layout.fileSize &&
            size <= layout.fileSize - offset) {
            areas.push_back({offset, size});
        }
    }
    return areas;
}

std::optional<FileVersionWords> findNote(const std::vector<unsigned char>& area, bool little) {
    ElfBytes bytes(area, little);
    uint64_t at = 0;
    while (bytes.has(at, 12)) {
        uint64_t nameSize = bytes.read(at, 4);
        uint64_t descSize = bytes.read(at + 4, 4);
        uint64_t type = bytes.read(at + 8, 4);
        uint64_t nameAt = at + 12;
        uint64_t descAt = nameAt + ((nameSize + 3) & ~uint64_t(3));
        uint64_t next = descAt + ((descSize + 3) & ~uint64_t(3));
        if (!bytes.has(nameAt, nameSize) || !bytes.has(descAt, descSize)) {
            return std::nullopt;
        }
        std::string_view owner(kFileVersionNoteOwner);
        bool ownerMatches = nameSize == owner.size() + 1 &&
                            std::memcmp(area.data() + nameAt, owner.data(), owner.size()) == 0 &&
                            area[nameAt + owner.size()] == 0;
        if (ownerMatches && type == kFileVersionNoteType && descSize == 8) {
            return FileVersionWords{static_cast<uint32_t>(bytes.read(descAt, 4)),
                                    static_cast<uint32_t>(bytes.read(descAt + 4, 4))};
        }
        at = next;
    }
    return std::nullopt;
}

} // namespace

std::optional<FileVersionWords> readElfVersionNote(const std::string& path) {
    FileInputStream input(path);
    std::vector<unsigned char> header;
    if (!readAt(input, 0, 64, header) && !readAt(input, 0, 52, header)) {
        return std::nullopt;
    }
    if (header[0] != 0x7F || header[1] != 'E' || header[2] != 'L' || header[3] != 'F') {
        return std::nullopt;
    }
    ElfLayout layout{header[4] == 2, header[5] == 1, input.size()};
    if ((header[4] != 1 && header[4] != 2) || (header[5] != 1 && header[5] != 2)) {
        return std::nullopt;
    }
    if (layout.is64 && header.size() < 64) {
        return std::nullopt;
    }
    ElfBytes bytes(header, layout.little);
    const unsigned word = layout.is64 ? 8 : 4;
    // e_phoff, e_shoff, then e_phentsize, e_phnum, e_shentsize, e_shnum.
    uint64_t programOffset = bytes.read(layout.is64 ? 32 : 28, word);
    uint64_t sectionOffset = bytes.read(layout.is64 ? 40 : 32, word);
    uint64_t counts = layout.is64 ? 54 : 42;
    uint64_t programEntry = bytes.read(counts, 2);
    uint64_t programCount = bytes.read(counts + 2, 2);
    uint64_t sectionEntry = bytes.read(counts + 4, 2);
    uint64_t sectionCount = bytes.read(counts + 6, 2);

    std::vector<Area> areas =
        noteAreas(input, layout, sectionOffset, sectionEntry, sectionCount, true);
    if (areas.empty()) {
        areas = noteAreas(input, layout, programOffset, programEntry, programCount, false);
    }
    std::vector<unsigned char> area;
    for (const Area& candidate : areas) {
        if (!readAt(input, candidate.offset, candidate.size, area)) {
            continue;
        }
        if (auto words = findNote(area, layout.little)) {
            return words;
        }
    }
    return std::nullopt;
}

} // namespace stream

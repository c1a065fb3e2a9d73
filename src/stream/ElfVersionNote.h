#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace stream {

// The two version words of the file-version note of an ELF file (see FileVersionNote.h).
struct FileVersionWords {
    uint32_t mostSignificant;
    uint32_t leastSignificant;
};

// Reads the ELF file at path (32- or 64-bit, either byte order) and looks for the note owned
// by "Quillion" with type 1 in its note sections, or in its note segments when the file has
// no section headers. Returns nullopt when the file is not an ELF file or has no such note;
// raises FileStreamException when it cannot be opened or read.
std::optional<FileVersionWords> readElfVersionNote(const std::string& path);

} // namespace stream

#pragma once

// Embeds a file version into the ELF file being built, as a note in the section
// ".note.quillion.version" (type 1, owner "Quillion"), read by stream::System::fileVersion.
// Use it once per module or executable, at namespace scope in one source file:
//
//     QUILLION_FILE_VERSION_NOTE(5, 6, 0, 8)
//
// The descriptor holds the four 16-bit parts as two 32-bit words, most significant first:
// (major << 16 | minor, build << 16 | revision), in the file's byte order.

#include <cstdint>

namespace stream {

struct FileVersionNoteLayout {
    uint32_t nameSize;  // 9: "Quillion" + terminator
    uint32_t descSize;  // 8
    uint32_t type;      // 1
    char name[12];      // "Quillion\0" padded to 4 bytes
    uint32_t versionMS; // major << 16 | minor
    uint32_t versionLS; // build << 16 | revision
};

inline constexpr char kFileVersionNoteSection[] = ".note.quillion.version";
inline constexpr char kFileVersionNoteOwner[] = "Quillion";
inline constexpr uint32_t kFileVersionNoteType = 1;

} // namespace stream

#define QUILLION_FILE_VERSION_NOTE(major, minor, build, revision)                                  \
    namespace {                                                                                    \
    __attribute__((used, section(".note.quillion.version"), aligned(4)))                           \
    const ::stream::FileVersionNoteLayout quillion_file_version_note = {                           \
        9,                                                                                         \
        8,                                                                                         \
        1,                                                                                         \
        {'Q', 'u', 'i', 'l', 'l', 'i', 'o', 'n', 0, 0, 0, 0},                                      \
        (static_cast<uint32_t>(major) << 16) | (static_cast<uint32_t>(minor) & 0xFFFFu),           \
        (static_cast<uint32_t>(build) << 16) | (static_cast<uint32_t>(revision) & 0xFFFFu)};       \
    }

#include "stream/System.h"

#include <cstdlib>
#include <cstring>
#include <sys/utsname.h>
#include <vector>

#include <gtest/gtest.h>

#include "TestDir.h"
#include "stream/exceptions/Win32ErrorException.h"

using stream::System;
using stream::exceptions::Win32ErrorException;

namespace {

uint32_t fileVersionError(const std::string& path) {
    try {
        System::fileVersion(path);
    } catch (const Win32ErrorException& e) {
        EXPECT_EQ(System::lastError(), e.errorCode());
        return e.errorCode();
    }
    ADD_FAILURE() << "no exception for " << path;
    return 0;
}

uint32_t registryError(const std::string& path) {
    try {
        System::registryValue(path);
    } catch (const Win32ErrorException& e) {
        return e.errorCode();
    }
    ADD_FAILURE() << "no exception for " << path;
    return 0;
}

// A minimal ELF file with one note section holding the version note, in the given class
// and byte order, so that both widths and orders are read.
std::string syntheticElf(bool is64, bool little, uint32_t ms, uint32_t ls, bool withSections) {
    std::vector<unsigned char> file(is64 ? 64 : 52, 0);
    auto put = [&](size_t at, uint64_t value, unsigned width) {
        if (file.size() < at + width) {
            file.resize(at + width, 0);
        }
        for (unsigned i = 0; i < width; ++i) {
            unsigned shift = little ? 8 * i : 8 * (width - 1 - i);
            file[at + i] = static_cast<unsigned char>(value >> shift);
        }
    };
    const unsigned word = is64 ? 8 : 4;
    file[0] = 0x7F;
    file[1] = 'E';
    file[2] = 'L';
    file[3] = 'F';
    file[4] = is64 ? 2 : 1;
    file[5] = little ? 1 : 2;
    file[6] = 1;
    // The note: namesz, descsz, type, "Quillion\0" padded, two words.
    size_t note = file.size();
    put(note, 9, 4);
    put(note + 4, 8, 4);
    put(note + 8, 1, 4);
    file.resize(note + 24, 0);
    std::memcpy(file.data() + note + 12, "Quillion", 8);
    put(note + 24, ms, 4);
    put(note + 28, ls, 4);
    size_t noteSize = 32;
    size_t table = file.size();
    size_t counts = is64 ? 54 : 42;
    if (withSections) {
        size_t entry = is64 ? 64 : 40;
        file.resize(table + 2 * entry, 0); // a null section, then the note section
        size_t s = table + entry;
        put(s + 4, 7, 4);                      // SHT_NOTE
        put(s + (is64 ? 24 : 16), note, word); // sh_offset
        put(s + (is64 ? 32 : 20), noteSize, word);
        put(is64 ? 40 : 32, table, word); // e_shoff
        put(counts + 4, entry, 2);
        put(counts + 6, 2, 2);
    } else {
        size_t entry = is64 ? 56 : 32;
        file.resize(table + entry, 0);
        put(table, 4, 4);                              // PT_NOTE
        put(table + (is64 ? 8 : 4), note, word);       // p_offset
        put(table + (is64 ? 32 : 16), noteSize, word); // p_filesz
        put(is64 ? 32 : 28, table, word);              // e_phoff
        put(counts, entry, 2);
        put(counts + 2, 1, 2);
    }
    return std::string(file.begin(), file.end());
}

} // namespace

TEST(System, TempPathFollowsTmpdirWithATrailingSlash) {
    TestDir dir;
    EXPECT_EQ(System::tempPath(), dir.path() + "/");
    setenv("TMPDIR", (dir.path() + "/").c_str(), 1);
    EXPECT_EQ(System::tempPath(), dir.path() + "/");
    setenv("TMPDIR", "", 1);
    EXPECT_EQ(System::tempPath(), "/tmp/");
    unsetenv("TMPDIR");
    EXPECT_EQ(System::tempPath(), "/tmp/");
}

TEST(System, FileVersionOfARealLibraryBuiltWithTheNote) {
    EXPECT_EQ(System::fileVersion(STREAM_VERSION_FIXTURE), "5.6.0.8");
}

TEST(System, FileVersionReadsBothWidthsAndByteOrders) {
    TestDir dir;
    int index = 0;
    for (bool is64 : {true, false}) {
        for (bool little : {true, false}) {
            for (bool sections : {true, false}) {
                std::string path = dir.file("elf" + std::to_string(index++));
                TestDir::write(path, syntheticElf(is64, little, (65535u << 16) | 2u,
                                                  (3u << 16) | 40000u, sections));
                EXPECT_EQ(System::fileVersion(path), "65535.2.3.40000")
                    << is64 << little << sections;
            }
        }
    }
}

TEST(System, FileVersionFailures) {
    TestDir dir;
    EXPECT_EQ(fileVersionError(dir.file("missing.so")), 2u);
    TestDir::write(dir.file("text.so"), "not an ELF file at all, just text");
    EXPECT_EQ(fileVersionError(dir.file("text.so")), 1813u);
    TestDir::write(dir.file("short.so"), "\x7F"
                                         "ELF");
    EXPECT_EQ(fileVersionError(dir.file("short.so")), 1813u);
    EXPECT_EQ(fileVersionError(dir.path()), 1813u); // a directory
    // A real ELF file without the note: the test executable itself.
    EXPECT_EQ(fileVersionError("/proc/self/exe"), 1813u);

    // Truncated and corrupted copies of a good file never crash and never read past the end.
    std::string good = syntheticElf(true, true, 1, 2, true);
    for (size_t cut = 0; cut < good.size(); cut += 5) {
        TestDir::write(dir.file("cut"), good.substr(0, cut));
        EXPECT_EQ(fileVersionError(dir.file("cut")), 1813u) << cut;
    }
    for (size_t at = 16; at < good.size(); ++at) {
        std::string bad = good;
        bad[at] = static_cast<char>(0xFF);
        TestDir::write(dir.file("bad"), bad);
        try {
            System::fileVersion(dir.file("bad"));
        } catch (const Win32ErrorException& e) {
            EXPECT_EQ(e.errorCode(), 1813u);
        }
    }
    try {
        System::fileVersion(dir.file("missing.so"));
    } catch (const Win32ErrorException& e) {
        EXPECT_EQ(std::string(e.what()).find("Win32 error. Code: 2 Description: The system "
                                             "cannot find the file specified.\r\n@System.cpp("),
                  0u);
    }
}

TEST(System, OsDescriptionNamesTheKernel) {
    struct utsname names {};
    ASSERT_EQ(uname(&names), 0);
    std::string description = System::osDescription();
    std::string kernel = std::string(names.sysname) + " " + names.release + " " + names.machine;
    EXPECT_NE(description.find(kernel), std::string::npos) << description;
    EXPECT_EQ(System::browserUserAgent(), "");
    EXPECT_EQ(System::browserVersion(), "");
}

TEST(System, RegistryRootsAndTheMissingRegistry) {
    for (const char* root :
         {"HKCR", "HKEY_CLASSES_ROOT", "HKCU", "HKEY_CURRENT_USER", "HKLM", "HKEY_LOCAL_MACHINE",
          "HKU", "HKEY_USERS", "HKPD", "HKEY_PERFORMANCE_DATA", "HKDD", "HKEY_DYN_DATA", "HKCC",
          "HKEY_CURRENT_CONFIG"}) {
        EXPECT_EQ(registryError(std::string(root) + "\\SOFTWARE\\X\\"), 2u) << root;
    }
    EXPECT_EQ(registryError("HKEY_NOWHERE\\SOFTWARE\\X\\Value"), 6u);
    EXPECT_EQ(registryError("hklm\\SOFTWARE\\X"), 6u); // root names are exact
    EXPECT_EQ(registryError(""), 6u);
}

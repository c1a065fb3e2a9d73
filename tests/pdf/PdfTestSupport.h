#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>
#include <string>

namespace pdftest {

// Every test runs in its own temporary directory (TMPDIR and QUILLION_HOME point into it).
class PdfTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    std::filesystem::path path(const std::string& name) const { return dir_ / name; }

    std::filesystem::path dir_;
};

// A classic PDF: the objects (number -> body between "obj" and "endobj"), one xref section,
// and a trailer made of trailerBody (placed between "<<" and ">>").
std::string makePdf(const std::map<int, std::string>& objects, const std::string& trailerBody);

// Appends an incremental update rewriting objects, with /Prev to the previous startxref.
std::string appendUpdate(const std::string& pdf, const std::map<int, std::string>& objects,
                         const std::string& trailerBody);

// How makeModernPdf lays a document out.
struct ModernLayout {
    // Objects stored in one object stream (the others are written plainly).
    std::set<int> packed;
    // A classic table (listing the plain objects only) whose trailer points with /XRefStm at
    // a stream listing the packed objects, instead of one cross-reference stream for
    // everything.
    bool hybrid = false;
    // Hybrid only: objects also written plainly and listed by the table (whose entries win
    // over the stream's for the same number).
    std::map<int, std::string> tableVersions;
    // FlateDecode on the object and cross-reference streams, and a PNG Up predictor on the
    // cross-reference stream.
    bool compress = true;
    bool predictor = true;
};

// A PDF 1.5 document as today's writers make it: the objects (number -> body), the packed
// ones in an object stream, and a cross-reference stream (or a hybrid table) whose trailer
// entries are trailerBody.
std::string makeModernPdf(const std::map<int, std::string>& objects, const std::string& trailerBody,
                          const ModernLayout& layout);

// Appends an incremental update rewriting objects that ends with a cross-reference stream
// numbered xrefNumber, with /Prev to the previous startxref.
std::string appendStreamUpdate(const std::string& pdf, const std::map<int, std::string>& objects,
                               const std::string& trailerBody, int xrefNumber);

// zlib data of bytes (what FlateDecode undoes).
std::string deflate(const std::string& bytes);

// A document of `pages` pages (flat page tree), without an AcroForm.
std::string makeSimplePdf(int pages = 1);

std::string readFile(const std::filesystem::path& file);
void writeFile(const std::filesystem::path& file, const std::string& bytes);
// Runs a shell command; returns its exit status and puts its standard output (and error)
// into output.
int run(const std::string& command, std::string& output);
bool haveTool(const std::string& tool);

std::string toHex(const std::string& bytes);
// A minimal baseline JPEG (SOI, APP0, SOF0 with the given size, EOI).
std::string jpegBytes(int width, int height);
std::u16string utf16(const std::string& ascii);

} // namespace pdftest

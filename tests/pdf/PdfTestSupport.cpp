#include "PdfTestSupport.h"

#include <array>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace pdftest {

namespace {
// The directory the test process was started with; each test makes its own below it.
const std::filesystem::path& baseTemp() {
    static const std::filesystem::path base = [] {
        const char* tmp = std::getenv("TMPDIR");
        return std::filesystem::path(tmp != nullptr && *tmp != 0 ? tmp : "/tmp");
    }();
    return base;
}
} // namespace

void PdfTest::SetUp() {
    std::string pattern = (baseTemp() / "pdf_tests_XXXXXX").string();
    char* made = mkdtemp(pattern.data());
    ASSERT_NE(made, nullptr);
    dir_ = made;
    setenv("TMPDIR", dir_.c_str(), 1);
    setenv("QUILLION_HOME", (dir_ / "home").c_str(), 1);
}

void PdfTest::TearDown() {
    setenv("TMPDIR", baseTemp().c_str(), 1);
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
}

namespace {

std::string xrefEntry(size_t offset) {
    char entry[32];
    std::snprintf(entry, sizeof entry, "%010zu 00000 n\r\n", offset);
    return entry;
}

} // namespace

std::string makePdf(const std::map<int, std::string>& objects, const std::string& trailerBody) {
    std::string pdf = "%PDF-1.4\r\n";
    std::map<int, size_t> offsets;
    int highest = 0;
    for (const auto& [number, body] : objects) {
        offsets[number] = pdf.size();
        pdf += std::to_string(number) + " 0 obj\r\n" + body + "\r\nendobj\r\n";
        highest = std::max(highest, number);
    }
    size_t xref = pdf.size();
    pdf += "xref\r\n0 " + std::to_string(highest + 1) + "\r\n0000000000 65535 f\r\n";
    for (int n = 1; n <= highest; ++n) {
        auto it = offsets.find(n);
        pdf += it == offsets.end() ? std::string("0000000000 00000 f\r\n") : xrefEntry(it->second);
    }
    pdf += "trailer\r\n<< /Size " + std::to_string(highest + 1) + " " + trailerBody +
           " >>\r\nstartxref\r\n" + std::to_string(xref) + "\r\n%%EOF\r\n";
    return pdf;
}

std::string appendUpdate(const std::string& pdf, const std::map<int, std::string>& objects,
                         const std::string& trailerBody) {
    size_t marker = pdf.rfind("startxref");
    size_t previous = std::stoul(pdf.substr(marker + 10));
    std::string out = pdf;
    std::string table = "xref\r\n";
    for (const auto& [number, body] : objects) {
        table += std::to_string(number) + " 1\r\n" + xrefEntry(out.size());
        out += std::to_string(number) + " 0 obj\r\n" + body + "\r\nendobj\r\n";
    }
    size_t xref = out.size();
    out += table + "trailer\r\n<< " + trailerBody + " /Prev " + std::to_string(previous) +
           " >>\r\nstartxref\r\n" + std::to_string(xref) + "\r\n%%EOF\r\n";
    return out;
}

std::string makeSimplePdf(int pages) {
    std::map<int, std::string> objects;
    objects[1] = "<< /Type /Catalog /Pages 2 0 R >>";
    std::string kids;
    for (int i = 0; i < pages; ++i) {
        kids += std::to_string(4 + i) + " 0 R ";
        objects[4 + i] = "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Contents 3 0 R >>";
    }
    objects[2] = "<< /Type /Pages /Kids [" + kids + "] /Count " + std::to_string(pages) + " >>";
    std::string content = "BT /F1 12 Tf 72 712 Td (Hola) Tj ET";
    objects[3] = "<< /Length " + std::to_string(content.size()) + " >>\r\nstream\r\n" + content +
                 "\r\nendstream";
    return makePdf(objects, "/Root 1 0 R");
}

std::string readFile(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void writeFile(const std::filesystem::path& file, const std::string& bytes) {
    std::ofstream out(file, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

int run(const std::string& command, std::string& output) {
    output.clear();
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (pipe == nullptr) {
        return -1;
    }
    std::array<char, 4096> buffer;
    size_t n;
    while ((n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0) {
        output.append(buffer.data(), n);
    }
    int status = pclose(pipe);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool haveTool(const std::string& tool) {
    std::string ignored;
    return run("command -v " + tool, ignored) == 0;
}

std::string jpegBytes(int width, int height) {
    std::string jpeg = "\xFF\xD8";
    jpeg += std::string("\xFF\xE0\x00\x10JFIF\x00\x01\x01\x00\x00\x01\x00\x01\x00\x00", 18);
    jpeg += std::string("\xFF\xC0\x00\x11\x08", 5);
    jpeg += static_cast<char>(height >> 8);
    jpeg += static_cast<char>(height & 255);
    jpeg += static_cast<char>(width >> 8);
    jpeg += static_cast<char>(width & 255);
    jpeg += std::string("\x03\x01\x22\x00\x02\x11\x01\x03\x11\x01", 10);
    jpeg += "\xFF\xD9";
    return jpeg;
}

std::string toHex(const std::string& bytes) {
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : bytes) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

std::u16string utf16(const std::string& ascii) {
    return std::u16string(ascii.begin(), ascii.end());
}

} // namespace pdftest

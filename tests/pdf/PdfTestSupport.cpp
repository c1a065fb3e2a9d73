#include "PdfTestSupport.h"

#include <array>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <unistd.h>
#include <vector>
#include <zlib.h>

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

std::string deflate(const std::string& bytes) {
    uLongf size = compressBound(static_cast<uLong>(bytes.size()));
    std::string out(size, '\0');
    if (compress2(reinterpret_cast<Bytef*>(out.data()), &size,
                  reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uLong>(bytes.size()),
                  9) != Z_OK) {
        return std::string();
    }
    out.resize(size);
    return out;
}

namespace {

struct Row {
    int type;
    size_t second;
    size_t third;
};

// The data of a cross-reference stream with /W [1 4 2] (PNG Up rows when predicted).
std::string xrefRows(const std::vector<Row>& rows, bool predictor) {
    std::string data;
    std::string previous(7, '\0');
    for (const Row& row : rows) {
        std::string bytes(7, '\0');
        bytes[0] = static_cast<char>(row.type);
        for (int i = 0; i < 4; ++i) {
            bytes[1 + i] = static_cast<char>((row.second >> (8 * (3 - i))) & 0xFF);
        }
        bytes[5] = static_cast<char>((row.third >> 8) & 0xFF);
        bytes[6] = static_cast<char>(row.third & 0xFF);
        if (predictor) {
            data += '\x02';
            for (int i = 0; i < 7; ++i) {
                data += static_cast<char>(bytes[i] - previous[i]);
            }
            previous = bytes;
        } else {
            data += bytes;
        }
    }
    return data;
}

std::string streamObject(int number, const std::string& dictionaryBody, const std::string& data) {
    return std::to_string(number) + " 0 obj\r\n<< " + dictionaryBody + " /Length " +
           std::to_string(data.size()) + " >>\r\nstream\r\n" + data + "\r\nendstream\r\nendobj\r\n";
}

std::string xrefStreamObject(int number, const std::vector<Row>& rows, const std::string& index,
                             const std::string& trailerBody, bool compress, bool predictor) {
    std::string data = xrefRows(rows, compress && predictor);
    std::string dictionary = "/Type /XRef /W [1 4 2] /Index [" + index + "] " + trailerBody;
    if (compress) {
        data = deflate(data);
        dictionary += " /Filter /FlateDecode";
        if (predictor) {
            dictionary += " /DecodeParms << /Predictor 12 /Columns 7 >>";
        }
    }
    return streamObject(number, dictionary, data);
}

} // namespace

std::string makeModernPdf(const std::map<int, std::string>& objects, const std::string& trailerBody,
                          const ModernLayout& layout) {
    std::string pdf = "%PDF-1.5\r\n%\xE2\xE3\xCF\xD3\r\n";
    int highest = objects.empty() ? 0 : objects.rbegin()->first;
    const int streamNumber = highest + 1;
    const int xrefNumber = highest + 2;
    std::map<int, Row> rows;
    // The object stream: the header of pairs, then the objects.
    std::string header;
    std::string body;
    int index = 0;
    for (const auto& [number, text] : objects) {
        if (layout.packed.count(number) == 0) {
            continue;
        }
        header += std::to_string(number) + " " + std::to_string(body.size()) + " ";
        body += text + "\n";
        rows[number] = {2, static_cast<size_t>(streamNumber), static_cast<size_t>(index++)};
    }
    for (const auto& [number, text] : objects) {
        if (layout.packed.count(number) == 0) {
            rows[number] = {1, pdf.size(), 0};
            pdf += std::to_string(number) + " 0 obj\r\n" + text + "\r\nendobj\r\n";
        }
    }
    if (index > 0) {
        std::string data = header + body;
        std::string dictionary = "/Type /ObjStm /N " + std::to_string(index) + " /First " +
                                 std::to_string(header.size());
        if (layout.compress) {
            data = deflate(data);
            dictionary += " /Filter /FlateDecode";
        }
        rows[streamNumber] = {1, pdf.size(), 0};
        pdf += streamObject(streamNumber, dictionary, data);
    }
    const std::string size = "/Size " + std::to_string(xrefNumber + 1);
    if (!layout.hybrid) {
        rows[xrefNumber] = {1, pdf.size(), 0};
        std::vector<Row> all;
        for (int n = 0; n <= xrefNumber; ++n) {
            auto it = rows.find(n);
            all.push_back(it == rows.end() ? Row{0, 0, n == 0 ? 65535u : 0u} : it->second);
        }
        size_t start = pdf.size();
        pdf += xrefStreamObject(xrefNumber, all, "0 " + std::to_string(xrefNumber + 1),
                                size + " " + trailerBody, layout.compress, layout.predictor);
        pdf += "startxref\r\n" + std::to_string(start) + "\r\n%%EOF\r\n";
        return pdf;
    }
    // Hybrid: the stream lists only the packed objects; the table lists the others and marks
    // the packed ones free, as writers do for readers that know only tables.
    std::map<int, Row> tableRows;
    std::vector<Row> packedRows;
    std::string packedIndex;
    for (const auto& [number, row] : rows) {
        if (row.type == 2) {
            packedRows.push_back(row);
            packedIndex += std::to_string(number) + " 1 ";
        }
    }
    for (const auto& [number, text] : layout.tableVersions) {
        tableRows[number] = {1, pdf.size(), 0};
        pdf += std::to_string(number) + " 0 obj\r\n" + text + "\r\nendobj\r\n";
    }
    rows[xrefNumber] = {1, pdf.size(), 0};
    size_t streamAt = pdf.size();
    pdf += xrefStreamObject(xrefNumber, packedRows, packedIndex, size, layout.compress,
                            layout.predictor);
    size_t table = pdf.size();
    // The table leaves the packed objects out (subsections of the plain ones), as readers
    // that take a free entry for final expect.
    std::map<int, size_t> plain;
    for (const auto& [number, row] : rows) {
        if (row.type == 1) {
            plain[number] = row.second;
        }
    }
    for (const auto& [number, row] : tableRows) {
        plain[number] = row.second;
    }
    pdf += "xref\r\n0 1\r\n0000000000 65535 f\r\n";
    for (auto it = plain.begin(); it != plain.end();) {
        auto end = it;
        int next = it->first;
        std::string entries;
        while (end != plain.end() && end->first == next) {
            entries += xrefEntry(end->second);
            ++end;
            ++next;
        }
        pdf +=
            std::to_string(it->first) + " " + std::to_string(next - it->first) + "\r\n" + entries;
        it = end;
    }
    pdf += "trailer\r\n<< " + size + " " + trailerBody + " /XRefStm " + std::to_string(streamAt) +
           " >>\r\nstartxref\r\n" + std::to_string(table) + "\r\n%%EOF\r\n";
    return pdf;
}

std::string appendStreamUpdate(const std::string& pdf, const std::map<int, std::string>& objects,
                               const std::string& trailerBody, int xrefNumber) {
    size_t marker = pdf.rfind("startxref");
    size_t previous = std::stoul(pdf.substr(marker + 10));
    std::string out = pdf;
    std::vector<Row> rows;
    std::string index;
    for (const auto& [number, body] : objects) {
        rows.push_back({1, out.size(), 0});
        index += std::to_string(number) + " 1 ";
        out += std::to_string(number) + " 0 obj\r\n" + body + "\r\nendobj\r\n";
    }
    rows.push_back({1, out.size(), 0});
    index += std::to_string(xrefNumber) + " 1";
    size_t start = out.size();
    out += xrefStreamObject(xrefNumber, rows, index,
                            "/Size " + std::to_string(xrefNumber + 1) + " " + trailerBody +
                                " /Prev " + std::to_string(previous),
                            true, true);
    out += "startxref\r\n" + std::to_string(start) + "\r\n%%EOF\r\n";
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

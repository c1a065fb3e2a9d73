// The PdfSign sequence a signing script runs, driven over the engine:
// Set_Base64 -> CreateSign -> GetBytesB64ToSign -> InsertSign -> GetAllB64Bytes,
// with the log open at LOG_ALL (the module's default level).
//   bench_pdf FILE.pdf PAGE|last REPEAT LOGDIR
#include "component/pdf/CPdfSign.h"
#include "component/pdf/PdfBase64.h"
#include "component/pdf/PdfText.h"
#include "stream/Log.h"
#include "stream/LogLevel.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

using component::pdf::CPdfSign;
using component::pdf::PdfBase64;
using component::pdf::PdfText;

namespace {

double seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 5) {
        std::fprintf(stderr, "usage: bench_pdf FILE.pdf PAGE|last REPEAT LOGDIR\n");
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    std::string base64 = PdfBase64::encode(content.str());
    // The script hands the text over as a UTF-16 string.
    std::u16string text(base64.begin(), base64.end());
    std::string().swap(base64);
    int repeat = std::atoi(argv[3]);
    stream::Log::instance().open(std::string(argv[4]) + "/QuillionCOM.log", argv[0],
                                 stream::LOG_ALL);
    if (argc > 5 && std::string(argv[5]) == "quiet") {
        stream::Log::instance().setMask(stream::LOG_NONE);
    }

    double best = 1e30;
    size_t outputSize = 0;
    for (int round = 0; round < repeat; ++round) {
        auto start = std::chrono::steady_clock::now();
        CPdfSign engine;
        std::string ansi = PdfText::toWindows1252(text);
        double tConvert = seconds(start);
        if (!engine.LoadPdfPtrBase64(ansi)) {
            std::fprintf(stderr, "not loaded\n");
            return 1;
        }
        int32_t page = std::string(argv[2]) == "last" ? engine.GetMaxPag() : std::atoi(argv[2]);
        if (!engine.CreateSignature(page, 50, 50, 250, 120, u"", "Bench", "Helvetica", 10, 0,
                                    true)) {
            std::fprintf(stderr, "no signature built\n");
            return 1;
        }
        double tCreate = seconds(start);
        int32_t index = engine.CountSigns() - 1;
        std::string toSign = PdfBase64::encode(*engine.GetSignedBytes(index));
        if (engine.InsertSign(std::string(4000, 'A')) != CPdfSign::InsertResult::Written) {
            std::fprintf(stderr, "not inserted\n");
            return 1;
        }
        double tInsert = seconds(start);
        std::string signedDocument = PdfBase64::encode(engine.GetPdf());
        outputSize = signedDocument.size();
        double elapsed = seconds(start);
        std::fprintf(stderr, "convert %.3f load+create %.3f bytes+insert %.3f all %.3f\n", tConvert,
                     tCreate - tConvert, tInsert - tCreate, elapsed - tInsert);
        best = elapsed < best ? elapsed : best;
    }
    stream::Log::instance().close();
    std::printf("%.3f %zu\n", best, outputSize);
    return 0;
}

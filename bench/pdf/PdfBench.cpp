// The PdfSign sequence a signing script runs, called in-process through the class's
// interface (BSTR in, BSTR out) without the script host:
// Set_Base64 -> CreateSign -> GetBytesB64ToSign -> InsertSign -> GetAllB64Bytes,
// with the log open at LOG_ALL (the module's default level).
//   bench_pdf FILE.pdf PAGE|last REPEAT LOGDIR [quiet]
#include "com/BStr.h"
#include "component/pdf/PdfSign.h"
#include "stream/Base64.h"
#include "stream/Log.h"
#include "stream/LogLevel.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

using component::pdf::PdfSign;

namespace {

double seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 5) {
        std::fprintf(stderr, "usage: bench_pdf FILE.pdf PAGE|last REPEAT LOGDIR [quiet]\n");
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    std::string base64 = stream::Base64::encode(content.str());
    // The script hands the text over as a UTF-16 string.
    com::BStr text(std::u16string(base64.begin(), base64.end()));
    std::string().swap(base64);
    com::BStr name(u"Bench");
    com::BStr image(u"");
    com::BStr font(u"Helvetica");
    com::BStr value = com::BStr::fromBytes(std::string(4000, 'A'));
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
        IPdfSign* pdf = nullptr;
        if (PdfSign::createInstance(nullptr, IPdfSign::iid, reinterpret_cast<void**>(&pdf)) !=
                S_OK ||
            pdf->Set_Base64(text.get()) != S_OK) {
            std::fprintf(stderr, "not loaded\n");
            return 1;
        }
        double tLoad = seconds(start);
        LONG page = 0;
        if (std::string(argv[2]) == "last") {
            pdf->CountPages(&page);
        } else {
            page = std::atoi(argv[2]);
        }
        LONG index = -1;
        if (pdf->CreateSign(name.get(), image.get(), page, 50, 50, 250, 120, font.get(), 10, 0, 1,
                            &index) != S_OK) {
            std::fprintf(stderr, "no signature built\n");
            return 1;
        }
        double tCreate = seconds(start);
        com::BStr toSign;
        com::BStr signedDocument;
        if (pdf->GetBytesB64ToSign(index, toSign.out()) != S_OK ||
            pdf->InsertSign(value.get(), index) != S_OK) {
            std::fprintf(stderr, "not inserted\n");
            return 1;
        }
        double tInsert = seconds(start);
        pdf->GetAllB64Bytes(signedDocument.out());
        pdf->Release();
        outputSize = signedDocument.byteLength();
        double elapsed = seconds(start);
        std::fprintf(stderr, "load %.3f create %.3f bytes+insert %.3f all %.3f\n", tLoad,
                     tCreate - tLoad, tInsert - tCreate, elapsed - tInsert);
        best = elapsed < best ? elapsed : best;
    }
    stream::Log::instance().close();
    std::printf("%.3f %zu\n", best, outputSize);
    return 0;
}

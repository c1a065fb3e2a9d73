// Cost of logging 100,000 lines: the log at the default mask (LOG_ALL) to a file, the same
// with the mask LOG_NONE, and for comparison the same lines written with one write() call
// each (what an unbuffered file target costs), and the log from four threads at once.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "stream/FileDescriptor.h"
#include "stream/Log.h"
#include "stream/LogLevel.h"
#include "stream/LogTimestamp.h"

namespace {

constexpr int kLines = 100000;

double seconds(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

std::string message(int i) {
    return "CQNSignData_Internal_CMS::sign paso " + std::to_string(i) + " de la firma";
}

void report(const char* what, double elapsed, const std::string& path) {
    struct stat info {};
    long long size = path.empty() || stat(path.c_str(), &info) != 0 ? 0 : info.st_size;
    std::printf("%-44s %8.1f ms %8.0f ns/line %10lld bytes\n", what, elapsed * 1e3,
                elapsed * 1e9 / kLines, size);
}

double logLines(const std::string& path, uint32_t mask, int threads) {
    stream::Log log;
    auto start = std::chrono::steady_clock::now();
    log.open(path, "/proc/self/exe", mask);
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t) {
        workers.emplace_back([&log, t, threads] {
            for (int i = t; i < kLines; i += threads) {
                log.log(i % 2 ? stream::LOG_TRACE : stream::LOG_INFO, message(i));
            }
        });
    }
    for (auto& worker : workers) {
        worker.join();
    }
    log.close();
    return seconds(start);
}

double unbufferedLines(const std::string& path) {
    auto start = std::chrono::steady_clock::now();
    stream::FileDescriptor fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600));
    for (int i = 0; i < kLines; ++i) {
        std::string line = stream::LogTimestamp::now().text() + " INFO: " + message(i) + "\r\n";
        stream::writeFully(fd.get(), line.data(), line.size());
    }
    fd.reset();
    return seconds(start);
}

} // namespace

int main(int argc, char** argv) {
    std::string dir = argc > 1 ? argv[1] : "/tmp";
    std::string file = dir + "/bench_log.log";
    std::string none = dir + "/bench_log_none.log";
    std::string raw = dir + "/bench_log_unbuffered.log";
    std::printf("%d lines per run\n", kLines);
    for (int round = 0; round < 3; ++round) {
        report("log, mask LOG_ALL, file (64 KiB buffer)", logLines(file, stream::LOG_ALL, 1), file);
        report("log, mask LOG_NONE, file", logLines(none, stream::LOG_NONE, 1), none);
        report("one write() per line (unbuffered)", unbufferedLines(raw), raw);
        report("log, mask LOG_ALL, file, 4 threads", logLines(file, stream::LOG_ALL, 4), file);
    }
    std::remove(file.c_str());
    std::remove(none.c_str());
    std::remove(raw.c_str());
    return 0;
}

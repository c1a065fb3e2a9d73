#include "stream/Log.h"

#include <arpa/inet.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <regex>
#include <sys/socket.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

#include <gtest/gtest.h>

#include "TestDir.h"
#include "stream/FileLogOutput.h"
#include "stream/LogLevel.h"
#include "stream/LogSize.h"
#include "stream/System.h"
#include "stream/SystemMessage.h"
#include "stream/exceptions/LogException.h"
#include "stream/exceptions/SocketStreamException.h"

using namespace stream;

namespace {

const std::string kModule = STREAM_VERSION_FIXTURE;
const std::string kStamp = R"(\d\d/\d\d/\d\d \d\d:\d\d:\d\d)";

std::vector<std::string> splitLines(const std::string& text, const std::string& end) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t cut = text.find(end, start);
        if (cut == std::string::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, cut - start));
        start = cut + end.size();
    }
    return lines;
}

bool matches(const std::string& line, const std::string& pattern) {
    return std::regex_match(line, std::regex(pattern));
}

// Expects the four header lines at the start of lines.
void expectHeader(const std::vector<std::string>& lines) {
    ASSERT_GE(lines.size(), 4u);
    std::string name = kModule.substr(kModule.find_last_of('/') + 1);
    EXPECT_EQ(lines[0], "#Software: " + name + " v5.6.0.8");
    EXPECT_TRUE(matches(lines[1], "#Date: " + kStamp)) << lines[1];
    EXPECT_EQ(lines[2], "#OS: " + System::osDescription());
    EXPECT_EQ(lines[3], "#IE:  ;Version ");
}

// Redirects standard output into a file for its lifetime.
class StdoutCapture {
public:
    explicit StdoutCapture(const std::string& path) : path_(path) {
        fflush(stdout);
        saved_ = dup(STDOUT_FILENO);
        int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        dup2(fd, STDOUT_FILENO);
        ::close(fd);
    }
    ~StdoutCapture() { restore(); }
    std::string finish() {
        restore();
        return TestDir::read(path_);
    }

private:
    void restore() {
        if (saved_ >= 0) {
            fflush(stdout);
            dup2(saved_, STDOUT_FILENO);
            ::close(saved_);
            saved_ = -1;
        }
    }
    std::string path_;
    int saved_ = -1;
};

// A TCP listener on 127.0.0.1 that collects everything one client sends until it closes.
class Listener {
public:
    Listener() {
        fd_ = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address);
        socklen_t length = sizeof address;
        getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
        listen(fd_, 1);
        thread_ = std::thread([this] {
            int client = accept(fd_, nullptr, nullptr);
            char buffer[4096];
            ssize_t n;
            while (client >= 0 && (n = read(client, buffer, sizeof buffer)) > 0) {
                received_.append(buffer, static_cast<size_t>(n));
            }
            if (client >= 0) {
                ::close(client);
            }
        });
    }
    ~Listener() {
        if (thread_.joinable()) {
            shutdown(fd_, SHUT_RDWR);
            thread_.join();
        }
        ::close(fd_);
    }
    int port() const { return port_; }
    std::string finish() {
        thread_.join();
        return received_;
    }

private:
    int fd_ = -1;
    int port_ = 0;
    std::thread thread_;
    std::string received_;
};

// Frames of the socket target: 4-byte little-endian length, then that many bytes.
std::vector<std::string> frames(const std::string& bytes) {
    std::vector<std::string> out;
    size_t at = 0;
    while (at + 4 <= bytes.size()) {
        uint32_t length = 0;
        for (int i = 3; i >= 0; --i) {
            length = (length << 8) | static_cast<unsigned char>(bytes[at + i]);
        }
        at += 4;
        if (at + length > bytes.size()) {
            ADD_FAILURE() << "truncated frame";
            break;
        }
        out.push_back(bytes.substr(at, length));
        at += length;
    }
    EXPECT_EQ(at, bytes.size());
    return out;
}

} // namespace

TEST(Log, FileFormatHeaderLinesAndFooter) {
    TestDir dir;
    std::string path = dir.file("QuillionCOM.log");
    Log log;
    log.open(path, kModule, parseLevel("LOG_ALL|~LOG_TRACE"));
    log.log(LOG_TRACE, "hidden trace");
    log.log(LOG_INFO, "CContent::saveFile");
    log.log(LOG_WARNING, "aviso: señal");
    log.log(LOG_ALL, "loaded");
    log.logWin32(LOG_ERROR, "CreateFile", 5);
    log.close();
    log.log(LOG_ERROR, "after close");

    std::string text = TestDir::read(path);
    std::vector<std::string> lines = splitLines(text, "\r\n");
    expectHeader(lines);
    ASSERT_EQ(lines.size(), 10u) << text;
    EXPECT_TRUE(matches(lines[4], kStamp + " INFO: CContent::saveFile")) << lines[4];
    EXPECT_TRUE(matches(lines[5], kStamp + " WARNING: aviso: señal")) << lines[5];
    EXPECT_TRUE(matches(lines[6], kStamp + "  loaded")) << lines[6]; // empty tag
    // The system message keeps its own line break, so the line is followed by an empty one.
    EXPECT_TRUE(matches(lines[7], kStamp + " ERROR: CreateFile->Access is denied.")) << lines[7];
    EXPECT_EQ(lines[8], "");
    EXPECT_TRUE(matches(lines[9], "#End-Date: " + kStamp)) << lines[9];
    EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
    EXPECT_EQ(text.find("hidden"), std::string::npos);
    EXPECT_EQ(text.find("after close"), std::string::npos);
}

TEST(Log, FileIsPrivateAndModesTruncateOrAppend) {
    TestDir dir;
    std::string path = dir.file("sign.log");
    {
        Log log;
        log.open(path, kModule, LOG_ALL);
        log.log(LOG_ERROR, "first run");
        log.close();
    }
    struct stat info {};
    ASSERT_EQ(stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    {
        Log log;
        log.open(path, kModule, LOG_ALL, 0);
        log.log(LOG_ERROR, "second run");
        log.close();
    }
    std::string appended = TestDir::read(path);
    EXPECT_NE(appended.find("first run"), std::string::npos);
    EXPECT_NE(appended.find("second run"), std::string::npos);
    EXPECT_LT(appended.find("first run"), appended.find("second run"));
    {
        Log log;
        log.open(path, kModule, LOG_ALL);
        log.log(LOG_ERROR, "third run");
        log.close();
    }
    std::string fresh = TestDir::read(path);
    EXPECT_EQ(fresh.find("first run"), std::string::npos);
    EXPECT_NE(fresh.find("third run"), std::string::npos);
    EXPECT_EQ(fresh.rfind("#Software: ", 0), 0u);
}

TEST(Log, APlantedSymbolicLinkIsNotFollowed) {
    TestDir dir;
    std::string victim = dir.file("victim.txt");
    TestDir::write(victim, "keep me");
    chmod(victim.c_str(), 0644);
    std::string path = dir.file("QuillionCOM.log");
    ASSERT_EQ(symlink(victim.c_str(), path.c_str()), 0);

    Log log;
    log.open(path, kModule, LOG_ALL);
    log.log(LOG_ERROR, "must not reach the victim");
    log.flush();
    log.close();

    EXPECT_EQ(TestDir::read(victim), "keep me");
    struct stat info {};
    ASSERT_EQ(lstat(path.c_str(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode));
    ASSERT_EQ(stat(victim.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0644u);

    // A dangling link is not followed either: nothing gets created at its target.
    std::string dangling = dir.file("dangling.log");
    std::string target = dir.file("created-through-link");
    ASSERT_EQ(symlink(target.c_str(), dangling.c_str()), 0);
    Log other;
    other.open(dangling, kModule, LOG_ALL);
    other.log(LOG_ERROR, "x");
    other.close();
    EXPECT_NE(access(target.c_str(), F_OK), 0);

    // Nor is a hard link to another file of the user.
    std::string linked = dir.file("hardlinked.log");
    ASSERT_EQ(link(victim.c_str(), linked.c_str()), 0);
    Log hard;
    hard.open(linked, kModule, LOG_ALL);
    hard.log(LOG_ERROR, "must not reach the victim either");
    hard.close();
    EXPECT_EQ(TestDir::read(victim), "keep me");
}

TEST(Log, AFileThatIsNotALogIsNeverEmptied) {
    TestDir dir;
    // The file a mistaken LogPath names (as /etc/passwd would be for root): kept whole.
    std::string victim = dir.file("passwd");
    TestDir::write(victim, "root:x:0:0:root:/root:/bin/bash\n");
    for (int mode : {1, 0}) {
        Log log;
        log.open(victim, kModule, LOG_ALL, mode);
        log.log(LOG_ERROR, "must not be written");
        log.close();
        EXPECT_EQ(TestDir::read(victim), "root:x:0:0:root:/root:/bin/bash\n");
    }
    // An empty file and an old log of ours are still taken.
    std::string empty = dir.file("empty.log");
    TestDir::write(empty, "");
    Log log;
    log.open(empty, kModule, LOG_ALL);
    log.log(LOG_ERROR, "into the empty file");
    log.close();
    EXPECT_NE(TestDir::read(empty).find("into the empty file"), std::string::npos);
    log.open(empty, kModule, LOG_ALL);
    log.log(LOG_ERROR, "into the old log");
    log.close();
    EXPECT_NE(TestDir::read(empty).find("into the old log"), std::string::npos);
}

TEST(Log, ASizeLimitEndsTheLogWithOneLine) {
    TestDir dir;
    std::string path = dir.file("QuillionCOM.log");
    Log log;
    log.setSizeLimit(4096);
    log.open(path, kModule, LOG_ALL);
    for (int i = 0; i < 1000; ++i) {
        log.log(LOG_INFO, "line " + std::to_string(i) + std::string(40, '.'));
    }
    log.close();
    std::string text = TestDir::read(path);
    EXPECT_LE(text.size(), 4096u + 200u);
    std::vector<std::string> lines = splitLines(text, "\r\n");
    ASSERT_GE(lines.size(), 6u);
    expectHeader(lines);
    EXPECT_TRUE(matches(lines.back(), kStamp +
                                          " WARNING: Se ha alcanzado el tamaño máximo del log "
                                          "\\(LogMaxSize=4096\\): no se escriben más líneas\\."))
        << lines.back();
    EXPECT_TRUE(matches(lines[lines.size() - 2], kStamp + " INFO: line \\d+\\.+"));
    // Opening again starts counting again; 0 is no limit.
    log.setSizeLimit(0);
    log.open(path, kModule, LOG_ALL);
    for (int i = 0; i < 1000; ++i) {
        log.log(LOG_INFO, "line " + std::to_string(i) + std::string(40, '.'));
    }
    log.close();
    EXPECT_NE(TestDir::read(path).find("line 999"), std::string::npos);
}

TEST(Log, LogSizesAsThePropertiesFileGivesThem) {
    EXPECT_EQ(parseLogSize("1048576"), 1048576u);
    EXPECT_EQ(parseLogSize(" 10 M "), 10u << 20);
    EXPECT_EQ(parseLogSize("2gb"), 2ull << 30);
    EXPECT_EQ(parseLogSize("512K"), 512u << 10);
    EXPECT_EQ(parseLogSize("0"), 0u);
    EXPECT_EQ(parseLogSize("18446744073709551615"), UINT64_MAX);
    for (const char* bad :
         {"", "M", "-1", "12 apples", "18446744073709551616", "99999999999G", "1.5M", "0x10"}) {
        EXPECT_FALSE(parseLogSize(bad).has_value()) << bad;
    }
}

TEST(Log, UnwritableTargetsIgnoreWritesAndClosedLogsDropLines) {
    TestDir dir;
    Log notOpened;
    notOpened.log(LOG_ERROR, "dropped");
    EXPECT_FALSE(notOpened.isOpen());

    Log log;
    log.open(dir.file("no/such/folder/x.log"), kModule, LOG_ALL);
    log.log(LOG_ERROR, "ignored");
    log.close();

    // A FIFO at the path neither blocks the open nor receives lines.
    std::string fifo = dir.file("fifo.log");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    Log fifoLog;
    fifoLog.open(fifo, kModule, LOG_ALL);
    fifoLog.log(LOG_ERROR, "ignored");
    fifoLog.close();

    // The module path without a version note leaves the version empty.
    std::string path = dir.file("plain.log");
    Log plain;
    plain.open(path, "/nowhere/libmissing.so", LOG_ALL);
    plain.close();
    EXPECT_EQ(TestDir::read(path).rfind("#Software: libmissing.so v\r\n", 0), 0u);
}

TEST(Log, FlushMakesBufferedLinesVisible) {
    TestDir dir;
    std::string path = dir.file("buffered.log");
    Log log;
    log.open(path, kModule, LOG_ALL);
    log.log(LOG_INFO, "line one");
    log.flush();
    EXPECT_NE(TestDir::read(path).find("INFO: line one\r\n"), std::string::npos);
    // More than the 64 KiB buffer reaches the file without a flush.
    std::string filler(500, 'f');
    for (int i = 0; i < 300; ++i) {
        log.log(LOG_INFO, filler);
    }
    EXPECT_GT(TestDir::read(path).size(), FileLogOutput::kBufferSize);
    log.close();
    EXPECT_EQ(splitLines(TestDir::read(path), "\r\n").size(), 4u + 1 + 300 + 1);
}

TEST(Log, ErrorLinesReachTheFileWithoutAFlush) {
    TestDir dir;
    std::string path = dir.file("errors.log");
    Log log;
    log.open(path, kModule, LOG_ALL);
    log.log(LOG_INFO, "buffered line");
    EXPECT_EQ(TestDir::read(path).find("buffered line"), std::string::npos);
    log.log(LOG_ERROR, "failure reason");
    std::string text = TestDir::read(path);
    EXPECT_NE(text.find("INFO: buffered line\r\n"), std::string::npos);
    EXPECT_NE(text.find("ERROR: failure reason\r\n"), std::string::npos);
    log.close();
}

TEST(Log, LongLinesAreCutToTheLineBufferAtACharacterBoundary) {
    TestDir dir;
    std::string path = dir.file("long.log");
    Log log;
    log.open(path, kModule, LOG_ALL);
    log.log(LOG_INFO, std::string(5000, 'a'));
    for (int shift = 0; shift < 3; ++shift) {
        log.log(
            LOG_INFO, std::string(shift, 'x') + [] {
                std::string s;
                for (int i = 0; i < 1500; ++i) {
                    s += "ñ";
                }
                return s;
            }());
    }
    log.close();
    std::vector<std::string> lines = splitLines(TestDir::read(path), "\r\n");
    ASSERT_EQ(lines.size(), 4u + 4 + 1);
    EXPECT_EQ(lines[4].size(), FileLogOutput::kLineLimit - 2);
    EXPECT_TRUE(matches(lines[4], kStamp + " INFO: a+"));
    for (int i = 5; i < 8; ++i) {
        EXPECT_LE(lines[i].size(), FileLogOutput::kLineLimit - 2);
        EXPECT_GE(lines[i].size(), FileLogOutput::kLineLimit - 3);
        // Ends with a whole "ñ" (C3 B1), never with a lone lead byte.
        EXPECT_EQ(lines[i].substr(lines[i].size() - 2), "ñ") << i;
    }
}

TEST(Log, LineLimitIsWhatTheTargetKeeps) {
    TestDir dir;
    Log log;
    EXPECT_EQ(log.lineLimit(), static_cast<size_t>(-1)) << "no target yet";
    log.open(dir.file("limit.log"), kModule, LOG_ALL);
    EXPECT_EQ(log.lineLimit(), FileLogOutput::kLineLimit - 2);
    // What the file keeps of a longer line is exactly that long.
    log.log(LOG_INFO, std::string(3 * log.lineLimit(), 'b'));
    log.close();
    std::vector<std::string> lines = splitLines(TestDir::read(dir.file("limit.log")), "\r\n");
    ASSERT_GE(lines.size(), 5u);
    EXPECT_EQ(lines[4].size(), log.lineLimit());
    StdoutCapture capture(dir.file("stdout.txt"));
    log.open("CON", kModule, LOG_ALL);
    EXPECT_EQ(log.lineLimit(), static_cast<size_t>(-1));
    log.close();
    capture.finish();
}

TEST(Log, LinesFromSeveralThreadsNeverMix) {
    TestDir dir;
    std::string path = dir.file("threads.log");
    Log log;
    log.open(path, kModule, LOG_ALL);
    constexpr int kThreads = 8;
    constexpr int kLines = 2000;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&log, t] {
            for (int i = 0; i < kLines; ++i) {
                log.log(i % 2 ? LOG_TRACE : LOG_INFO,
                        "thread " + std::to_string(t) + " line " + std::to_string(i) + " " +
                            std::string(static_cast<size_t>(i % 97), 'p') + "|end");
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    log.close();
    std::vector<std::string> lines = splitLines(TestDir::read(path), "\r\n");
    ASSERT_EQ(lines.size(), 4u + kThreads * kLines + 1);
    std::vector<int> next(kThreads, 0);
    std::regex pattern(kStamp + R"( (INFO|TRACE): thread (\d) line (\d+) (p*)\|end)");
    for (size_t i = 4; i < lines.size() - 1; ++i) {
        std::smatch match;
        ASSERT_TRUE(std::regex_match(lines[i], match, pattern)) << lines[i];
        int t = std::stoi(match[2]);
        int n = std::stoi(match[3]);
        EXPECT_EQ(n, next[t]) << "lines of one thread keep their order";
        EXPECT_EQ(match[4].length(), n % 97);
        next[t] = n + 1;
    }
}

TEST(Log, ConsoleTargetWritesLinesToStandardOutput) {
    TestDir dir;
    for (const char* target : {"CON", "C:\\CON", "CONSOLE.txt"}) {
        StdoutCapture capture(dir.file("stdout.txt"));
        Log log;
        log.open(target, kModule, LOG_ERROR);
        log.log(LOG_ERROR, std::string("to the console ") + target);
        log.log(LOG_INFO, "masked");
        log.close();
        std::string out = capture.finish();
        EXPECT_EQ(out.find('\r'), std::string::npos) << target;
        std::vector<std::string> lines = splitLines(out, "\n");
        expectHeader(lines);
        ASSERT_EQ(lines.size(), 6u) << out;
        EXPECT_TRUE(matches(lines[4], kStamp + " ERROR: to the console " +
                                          std::regex_replace(target, std::regex(R"(\\)"), R"(\\)")))
            << lines[4];
        EXPECT_TRUE(matches(lines[5], "#End-Date: " + kStamp));
        EXPECT_EQ(access(dir.file("CONSOLE.txt").c_str(), F_OK), -1);
    }
}

TEST(Log, AConsoleWhoseReaderHasGoneDoesNotKillTheHost) {
    EXPECT_EXIT(
        {
            int ends[2];
            if (pipe(ends) != 0) {
                std::_Exit(3);
            }
            ::close(ends[0]); // nobody reads
            dup2(ends[1], STDOUT_FILENO);
            Log log;
            log.open("CON", kModule, LOG_ALL);
            log.log(LOG_ERROR, "into a broken pipe");
            log.close();
            std::_Exit(0);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST(Log, PathsThatOnlyLookLikeConsoleOrSocketAreFiles) {
    TestDir dir;
    char previous[4096];
    ASSERT_NE(getcwd(previous, sizeof previous), nullptr);
    ASSERT_EQ(chdir(dir.path().c_str()), 0);
    for (const char* name : {"con", "SOCKET:host:9000"}) {
        Log log;
        log.open(name, kModule, LOG_ALL);
        log.log(LOG_ERROR, "into a file");
        log.close();
        EXPECT_NE(TestDir::read(dir.file(name)).find("ERROR: into a file"), std::string::npos)
            << name;
    }
    ASSERT_EQ(chdir(previous), 0);
}

TEST(Log, SocketTargetSendsLengthPrefixedLines) {
    Listener listener;
    std::string path = "SOCKET://127.0.0.1:" + std::to_string(listener.port());
    Log log;
    log.open(path, kModule, LOG_INFO | LOG_ERROR);
    log.log(LOG_INFO, "over tcp");
    log.log(LOG_TRACE, "masked");
    log.logWin32(LOG_ERROR, "connect", 10061);
    log.close();
    std::vector<std::string> received = frames(listener.finish());
    ASSERT_EQ(received.size(), 7u);
    std::vector<std::string> lines;
    for (const std::string& frame : received) {
        ASSERT_GE(frame.size(), 2u);
        EXPECT_EQ(frame.substr(frame.size() - 2), "\r\n");
        lines.push_back(frame.substr(0, frame.size() - 2));
    }
    expectHeader(lines);
    EXPECT_TRUE(matches(lines[4], kStamp + " INFO: over tcp")) << lines[4];
    EXPECT_EQ(lines[5].substr(lines[5].find(" ERROR: ")),
              " ERROR: connect->" + SystemMessage::text(10061));
    EXPECT_TRUE(matches(lines[6], "#End-Date: " + kStamp));
}

TEST(Log, MalformedSocketPathsRaiseTheirMessages) {
    struct Case {
        const char* path;
        const char* message;
    };
    for (Case c : {Case{"SOCKET://", "Invalid log socket format 1"},
                   Case{"SOCKET://host", "Invalid log socket format 2"},
                   Case{"SOCKET://host:1:2", "Invalid log socket format 2"},
                   Case{"SOCKET://127.0.0.1:port", "Invalid log socket format 2"},
                   Case{"SOCKET://127.0.0.1:70000", "Invalid log socket format 2"}}) {
        Log log;
        try {
            log.open(c.path, kModule, LOG_ALL);
            ADD_FAILURE() << "no exception for " << c.path;
        } catch (const exceptions::LogException& e) {
            EXPECT_STREQ(e.what(), c.message) << c.path;
            EXPECT_EQ(e.code(), -1);
        }
        EXPECT_FALSE(log.isOpen());
        log.log(LOG_ERROR, "dropped");
    }
}

TEST(Log, UnreachableSocketHostsRaiseWindowsSocketsErrors) {
    // A port nobody listens on: bind one, then close it.
    int probe = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    socklen_t length = sizeof address;
    getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length);
    int port = ntohs(address.sin_port);
    close(probe);

    Log log;
    try {
        log.open("SOCKET://127.0.0.1:" + std::to_string(port), kModule, LOG_ALL);
        FAIL() << "no exception";
    } catch (const exceptions::SocketStreamException& e) {
        EXPECT_EQ(e.code(), 10061);
        EXPECT_EQ(e.message(), SystemMessage::text(10061));
    }
    EXPECT_FALSE(log.isOpen());
}

TEST(Log, InstanceWritesBufferedLinesAndItsFooterAtExit) {
    TestDir dir;
    std::string path = dir.file("exit.log");
    EXPECT_EXIT(
        {
            Log::instance().open(path, kModule, LOG_ALL);
            Log::instance().log(LOG_INFO, "before exit");
            std::exit(0);
        },
        ::testing::ExitedWithCode(0), "");
    std::vector<std::string> lines = splitLines(TestDir::read(path), "\r\n");
    expectHeader(lines);
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_TRUE(matches(lines[4], kStamp + " INFO: before exit"));
    EXPECT_TRUE(matches(lines[5], "#End-Date: " + kStamp));
}

TEST(Log, AModuleWritesItsFooterWhenUnloaded) {
    TestDir dir;
    std::string path = dir.file("module.log");
    void* module = dlopen(STREAM_LOG_FIXTURE, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(module, nullptr) << dlerror();
    auto open = reinterpret_cast<void (*)(const char*)>(dlsym(module, "stream_log_fixture_open"));
    ASSERT_NE(open, nullptr);
    open(path.c_str());
    // The module's own log, not this executable's.
    EXPECT_FALSE(Log::instance().isOpen());
    EXPECT_EQ(TestDir::read(path).find("inside the module"), std::string::npos); // buffered
    ASSERT_EQ(dlclose(module), 0);
    std::vector<std::string> lines = splitLines(TestDir::read(path), "\r\n");
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[0], "#Software: libfixture.so v");
    EXPECT_TRUE(matches(lines[4], kStamp + " INFO: inside the module"));
    EXPECT_TRUE(matches(lines[5], "#End-Date: " + kStamp));
}

TEST(Log, InstanceIsOneProcessWideLog) {
    EXPECT_EQ(&Log::instance(), &Log::instance());
    EXPECT_FALSE(Log::instance().isOpen());
}

#include "stream/Log.h"

#include <new>

#include "stream/ConsoleLogOutput.h"
#include "stream/FileLogOutput.h"
#include "stream/LogLevel.h"
#include "stream/LogOutputHolder.h"
#include "stream/LogTimestamp.h"
#include "stream/SocketLogOutput.h"
#include "stream/System.h"
#include "stream/SystemMessage.h"
#include "stream/exceptions/StreamException.h"

namespace stream {

namespace {

constexpr size_t kSystemMessageLimit = 1000;

std::unique_ptr<LogOutput> targetFor(const std::string& path) {
    if (path.rfind("C:\\CON", 0) == 0 || path.rfind("CON", 0) == 0) {
        return std::make_unique<ConsoleLogOutput>();
    }
    if (path.find("SOCKET://") != std::string::npos) {
        return std::make_unique<SocketLogOutput>();
    }
    return std::make_unique<FileLogOutput>();
}

std::string fileNamePart(const std::string& path) {
    size_t cut = path.find_last_of("/\\");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

// The module's version for the header; a module without version information gives "".
std::string moduleVersion(const std::string& modulePath) {
    try {
        return System::fileVersion(modulePath);
    } catch (const exceptions::StreamException&) {
        return std::string();
    }
}

} // namespace

Log::Log() {
    setSizeLimit(kDefaultSizeLimit);
}

void Log::setSizeLimit(uint64_t bytes) {
    holder_.setSizeLimit(bytes, [bytes] {
        return LogTimestamp::now().text() + " " + std::string(levelTag(LOG_WARNING)) +
               " Se ha alcanzado el tamaño máximo del log (LogMaxSize=" + std::to_string(bytes) +
               "): no se escriben más líneas.";
    });
}

Log::~Log() {
    close();
}

Log& Log::instance() {
    // Built in static storage and never destroyed: a caller that logs late (another static
    // object's destructor) finds a closed log, not a destroyed one. At exit or unload the
    // closer writes the footer and frees the target, so nothing stays allocated either.
    alignas(Log) static unsigned char storage[sizeof(Log)];
    static Log* const log = new (storage) Log();
    static const struct Closer {
        ~Closer() {
            log->close();
            log->holder_.discardTarget();
        }
    } closer;
    return *log;
}

void Log::open(const std::string& path, const std::string& modulePath, uint32_t mask) {
    open(path, modulePath, mask, 1);
}

void Log::open(const std::string& path, const std::string& modulePath, uint32_t mask, int mode) {
    mask_.store(mask);
    holder_.open(targetFor(path), path, mode);
    LogTimestamp now = LogTimestamp::now();
    holder_.write("#Software: " + fileNamePart(modulePath) + " v" + moduleVersion(modulePath));
    holder_.write("#Date: " + now.text());
    holder_.write("#OS: " + System::osDescription());
    holder_.write("#IE: " + System::browserUserAgent() + " ;Version " + System::browserVersion());
}

void Log::log(uint32_t level, std::string_view message) {
    if ((level & mask_.load(std::memory_order_relaxed)) == 0) {
        return;
    }
    std::string head = LogTimestamp::now().text();
    head.push_back(' ');
    head.append(levelTag(level));
    head.push_back(' ');
    holder_.write(head, message);
    // Lines are buffered; an error line goes out at once, so that the reason of a failure
    // is on disk even if the process dies right after it.
    if (level == LOG_ERROR) {
        holder_.flush();
    }
}

void Log::logWin32(uint32_t level, std::string_view message, uint32_t code) {
    if ((level & mask_.load(std::memory_order_relaxed)) == 0) {
        return;
    }
    std::string text(message);
    text.append("->");
    text.append(SystemMessage::text(code).substr(0, kSystemMessageLimit));
    log(level, text);
}

void Log::close() {
    holder_.close("#End-Date: " + LogTimestamp::now().text());
}

void Log::flush() {
    holder_.flush();
}

uint32_t Log::mask() const noexcept {
    return mask_.load(std::memory_order_relaxed);
}

void Log::setMask(uint32_t mask) noexcept {
    mask_.store(mask);
}

bool Log::isOpen() const {
    return holder_.isOpen();
}

size_t Log::lineLimit() const {
    return holder_.lineLimit();
}

} // namespace stream

#include "com/Registry.h"

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <pwd.h>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace com {

namespace {

// Creates the directory and its parents (mode 0700); false when it cannot.
bool makeDirectories(const std::string& path) {
    if (path.empty()) {
        return false;
    }
    std::size_t pos = 0;
    while (pos != std::string::npos) {
        pos = path.find('/', pos + 1);
        std::string part = path.substr(0, pos);
        if (part.empty()) {
            continue;
        }
        if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) {
            return false;
        }
    }
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

class FileHandle {
public:
    explicit FileHandle(int fd) : fd_(fd) {}
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    ~FileHandle() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    int release() {
        int fd = fd_;
        fd_ = -1;
        return fd;
    }

private:
    int fd_;
};

// Holds the exclusive lock that serialises writers of the registry.
class WriterLock {
public:
    explicit WriterLock(const std::string& path)
        : file_(::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600)) {
        if (file_.valid()) {
            int rc;
            do {
                rc = flock(file_.get(), LOCK_EX);
            } while (rc != 0 && errno == EINTR);
            locked_ = rc == 0;
        }
    }
    ~WriterLock() {
        if (locked_) {
            flock(file_.get(), LOCK_UN);
        }
    }
    bool locked() const { return locked_; }

private:
    FileHandle file_;
    bool locked_ = false;
};

enum class ReadResult { Ok, Missing, Failed };

ReadResult readFile(const std::string& path, std::string& text) {
    FileHandle file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!file.valid()) {
        return errno == ENOENT ? ReadResult::Missing : ReadResult::Failed;
    }
    text.clear();
    char buffer[8192];
    for (;;) {
        ssize_t n = ::read(file.get(), buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return ReadResult::Failed;
        }
        if (n == 0) {
            return ReadResult::Ok;
        }
        text.append(buffer, static_cast<std::size_t>(n));
    }
}

bool writeAll(int fd, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// Writes a temporary file beside `path` and renames it over `path`.
bool replaceFile(const std::string& path, const std::string& text) {
    static std::atomic<unsigned> counter{0};
    std::string temp =
        path + ".tmp." + std::to_string(getpid()) + "." + std::to_string(counter.fetch_add(1));
    FileHandle file(::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
    if (!file.valid()) {
        return false;
    }
    bool ok = writeAll(file.get(), text) && ::fsync(file.get()) == 0;
    ok = ::close(file.release()) == 0 && ok;
    if (!ok || ::rename(temp.c_str(), path.c_str()) != 0) {
        ::unlink(temp.c_str());
        return false;
    }
    return true;
}

} // namespace

std::string Registry::homeDirectory() {
    const char* home = std::getenv("QUILLION_HOME");
    if (home && *home) {
        return home;
    }
    const char* user = std::getenv("HOME");
    std::string base;
    if (user && *user) {
        base = user;
    } else if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir) {
        base = pw->pw_dir;
    } else {
        base = "/tmp";
    }
    return base + "/.quillion";
}

std::string Registry::filePath() {
    return homeDirectory() + "/registry";
}

RegistryFile Registry::snapshot() {
    std::string text;
    if (readFile(filePath(), text) != ReadResult::Ok) {
        return RegistryFile();
    }
    return RegistryFile::parse(text);
}

HRESULT Registry::update(const std::function<HRESULT(RegistryFile&)>& edit) {
    try {
        std::string home = homeDirectory();
        if (!makeDirectories(home)) {
            return REGDB_E_WRITEREGDB;
        }
        WriterLock lock(home + "/registry.lock");
        if (!lock.locked()) {
            return REGDB_E_WRITEREGDB;
        }
        std::string path = home + "/registry";
        std::string text;
        ReadResult read = readFile(path, text);
        if (read == ReadResult::Failed) {
            return REGDB_E_READREGDB;
        }
        RegistryFile file = read == ReadResult::Ok ? RegistryFile::parse(text) : RegistryFile();
        HRESULT hr = edit(file);
        if (FAILED(hr)) {
            return hr;
        }
        if (!replaceFile(path, file.serialize())) {
            return REGDB_E_WRITEREGDB;
        }
        return hr;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

HRESULT Registry::createKey(std::string_view key) {
    if (!RegistryFile::isValidKey(key)) {
        return E_INVALIDARG;
    }
    return update([&](RegistryFile& file) {
        file.createKey(key);
        return S_OK;
    });
}

HRESULT Registry::setValue(std::string_view key, std::string_view name, std::string_view value) {
    if (!RegistryFile::isValidKey(key)) {
        return E_INVALIDARG;
    }
    return update([&](RegistryFile& file) {
        file.setValue(key, name, value);
        return S_OK;
    });
}

std::optional<std::string> Registry::value(std::string_view key, std::string_view name) {
    return snapshot().value(key, name);
}

bool Registry::hasKey(std::string_view key) {
    return snapshot().hasKey(key);
}

HRESULT Registry::deleteTree(std::string_view key) {
    return update(
        [&](RegistryFile& file) { return file.deleteTree(key) ? S_OK : REGDB_E_KEYMISSING; });
}

HRESULT Registry::deleteValue(std::string_view key, std::string_view name) {
    return update([&](RegistryFile& file) {
        return file.deleteValue(key, name) ? S_OK : REGDB_E_KEYMISSING;
    });
}

std::vector<std::string> Registry::subKeys(std::string_view key) {
    return snapshot().subKeys(key);
}

std::vector<std::pair<std::string, std::string>> Registry::values(std::string_view key) {
    return snapshot().values(key);
}

} // namespace com

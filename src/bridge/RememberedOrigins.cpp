#include "bridge/RememberedOrigins.h"

#include "bridge/FileWriting.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace bridge {

namespace {

// The list is small; anything larger is not ours.
constexpr std::size_t kMaxFile = 1u << 20;

void makeFolder(const std::string& path) {
    if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) {
        throw std::runtime_error("cannot create " + path + ": " + std::strerror(errno));
    }
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        throw std::runtime_error(path + " is not a folder");
    }
}

} // namespace

RememberedOrigins::RememberedOrigins(std::string home) : home_(std::move(home)) {}

std::string RememberedOrigins::filePath() const {
    return home_ + "/bridge/origins";
}

std::vector<std::string> RememberedOrigins::load() const {
    std::vector<std::string> origins;
    int fd = ::open(filePath().c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        return origins;
    }
    std::string text;
    char buffer[4096];
    while (text.size() <= kMaxFile) {
        ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            break;
        }
        text.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (!line.empty()) {
            origins.push_back(line);
        }
        start = end + 1;
    }
    return origins;
}

bool RememberedOrigins::contains(const std::string& origin) const {
    std::vector<std::string> origins = load();
    return std::find(origins.begin(), origins.end(), origin) != origins.end();
}

void RememberedOrigins::remember(const std::string& origin) {
    if (origin.empty() || origin.find_first_of("\r\n") != std::string::npos) {
        throw std::invalid_argument("an origin is one line of text");
    }
    std::vector<std::string> origins = load();
    if (std::find(origins.begin(), origins.end(), origin) != origins.end()) {
        return;
    }
    origins.push_back(origin);
    makeFolder(home_);
    makeFolder(home_ + "/bridge");
    std::string text;
    for (const std::string& o : origins) {
        text += o + "\n";
    }
    writeFileAtomically(filePath(), text, 0600);
}

} // namespace bridge

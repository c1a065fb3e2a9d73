#include "Desktop.h"

#include <array>
#include <cstdio>
#include <filesystem>
#include <sys/wait.h>
#include <unistd.h>

namespace {

std::string shellQuoted(const std::string& text) {
    std::string out = "'";
    for (char c : text) {
        if (c == '\'') {
            out += "'\\''";
        } else {
            out += c;
        }
    }
    return out + "'";
}

std::string regexOf(const std::string& title) {
    std::string out = "^";
    for (char c : title) {
        if (std::string("\\^$.|?*+()[]{}").find(c) != std::string::npos) {
            out += '\\';
        }
        out += c;
    }
    return out + "$";
}

std::string firstLine(const std::string& text) {
    return text.substr(0, text.find('\n'));
}

} // namespace

int Desktop::run(const std::string& command, std::string* output) {
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return -1;
    }
    std::array<char, 4096> buffer{};
    size_t got;
    while ((got = fread(buffer.data(), 1, buffer.size(), pipe)) > 0) {
        if (output != nullptr) {
            output->append(buffer.data(), got);
        }
    }
    int status = pclose(pipe);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool Desktop::onPath(const std::string& program) {
    const char* path = std::getenv("PATH");
    std::string folders = path == nullptr ? "/usr/bin:/bin" : path;
    size_t start = 0;
    while (start <= folders.size()) {
        size_t end = folders.find(':', start);
        std::string folder = folders.substr(start, end == std::string::npos ? end : end - start);
        if (!folder.empty() && access((folder + "/" + program).c_str(), X_OK) == 0) {
            return true;
        }
        if (end == std::string::npos) {
            break;
        }
        start = end + 1;
    }
    return false;
}

std::string Desktop::waitForWindow(const std::string& title) {
    std::string found;
    run("timeout 20 xdotool search --sync --onlyvisible --name " + shellQuoted(regexOf(title)) +
            " 2>/dev/null",
        &found);
    return firstLine(found);
}

std::string Desktop::titleOf(const std::string& window) {
    std::string name;
    run("timeout 10 xdotool getwindowname " + window + " 2>/dev/null", &name);
    return firstLine(name);
}

size_t Desktop::distinctColours(const std::string& window) {
    std::string shot =
        (std::filesystem::temp_directory_path() / ("q2gtk-" + std::to_string(getpid()) + ".png"))
            .string();
    std::string count;
    int status = run("timeout 20 import -window " + window + " " + shellQuoted(shot) +
                         " && timeout 20 identify -format %k " + shellQuoted(shot) + " 2>/dev/null",
                     &count);
    std::error_code ec;
    std::filesystem::remove(shot, ec);
    if (status != 0 || count.empty()) {
        return 0;
    }
    return static_cast<size_t>(std::strtoul(count.c_str(), nullptr, 10));
}

bool Desktop::press(const std::string& window, const std::string& keys) {
    return run("timeout 20 xdotool windowfocus --sync " + window + " key --delay 60 " + keys +
               " 2>/dev/null") == 0;
}

bool Desktop::type(const std::string& window, const std::string& text) {
    return run("timeout 20 xdotool windowfocus --sync " + window + " type --delay 40 " +
               shellQuoted(text) + " 2>/dev/null") == 0;
}

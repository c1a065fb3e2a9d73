#include "BridgeProcess.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <poll.h>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr int kWaitMillis = 120000; // nothing may hang a test

void writeAll(int fd, const char* data, std::size_t n) {
    while (n > 0) {
        ssize_t w = ::write(fd, data, n);
        if (w < 0 && errno == EINTR) {
            continue;
        }
        if (w <= 0) {
            throw std::runtime_error("write to qnbridge failed");
        }
        data += w;
        n -= static_cast<std::size_t>(w);
    }
}

// Reads exactly n bytes; false at the end of the stream.
bool readAll(int fd, char* data, std::size_t n) {
    while (n > 0) {
        pollfd p{fd, POLLIN, 0};
        int ready = ::poll(&p, 1, kWaitMillis);
        if (ready == 0) {
            throw std::runtime_error("qnbridge did not answer in time");
        }
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        ssize_t r = ::read(fd, data, n);
        if (r < 0 && errno == EINTR) {
            continue;
        }
        if (r <= 0) {
            return false;
        }
        data += r;
        n -= static_cast<std::size_t>(r);
    }
    return true;
}

} // namespace

std::string makeScratch() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/qnbridge-test-XXXXXX";
    if (!::mkdtemp(pattern.data())) {
        throw std::runtime_error("mkdtemp failed");
    }
    std::filesystem::create_directories(pattern + "/home");
    std::filesystem::create_directories(pattern + "/tmp");
    return pattern;
}

BridgeProcess::BridgeProcess(const std::string& scratch, const std::string& answers) {
    std::ofstream(scratch + "/answers") << answers;
    int toChild[2];
    int fromChild[2];
    if (::pipe2(toChild, O_CLOEXEC) != 0 || ::pipe2(fromChild, O_CLOEXEC) != 0) {
        throw std::runtime_error("pipe failed");
    }
    std::signal(SIGPIPE, SIG_IGN);
    pid_ = ::fork();
    if (pid_ == 0) {
        ::dup2(toChild[0], STDIN_FILENO);
        ::dup2(fromChild[1], STDOUT_FILENO);
        ::setenv("QUILLION_HOME", (scratch + "/home").c_str(), 1);
        ::setenv("HOME", scratch.c_str(), 1);
        ::setenv("TMPDIR", (scratch + "/tmp/").c_str(), 1);
        ::setenv("QUILLION_UI_ANSWERS", (scratch + "/answers").c_str(), 1);
        ::unsetenv("QUILLION_MODULE");
        ::execl(QNBRIDGE_PATH, QNBRIDGE_PATH,
                "chrome-extension://ghjldjcackikbmlbkicbcfpnccpnmjah/",
                static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(toChild[0]);
    ::close(fromChild[1]);
    in_ = toChild[1];
    out_ = fromChild[0];
}

BridgeProcess::~BridgeProcess() {
    if (pid_ > 0) {
        finish();
    }
    if (out_ >= 0) {
        ::close(out_);
    }
}

void BridgeProcess::sendRaw(const std::string& bytes) {
    writeAll(in_, bytes.data(), bytes.size());
}

void BridgeProcess::send(const std::string& json) {
    std::uint32_t length = static_cast<std::uint32_t>(json.size());
    std::string frame(reinterpret_cast<const char*>(&length), sizeof length);
    sendRaw(frame + json);
}

std::optional<std::string> BridgeProcess::receiveText() {
    std::uint32_t length = 0;
    if (!readAll(out_, reinterpret_cast<char*>(&length), sizeof length)) {
        return std::nullopt;
    }
    EXPECT_LE(length, 1000000u) << "a message over the browser's limit";
    std::string text(length, '\0');
    if (!readAll(out_, text.data(), length)) {
        throw std::runtime_error("qnbridge ended inside a message");
    }
    return text;
}

nlohmann::json BridgeProcess::receive() {
    std::optional<std::string> text = receiveText();
    if (!text) {
        throw std::runtime_error("qnbridge closed its output");
    }
    nlohmann::json message = nlohmann::json::parse(*text);
    if (!message.contains("chunk")) {
        return message;
    }
    std::string whole;
    std::int64_t chunks = message.at("chunks").get<std::int64_t>();
    for (std::int64_t i = 0; i < chunks; ++i) {
        if (i > 0) {
            message = nlohmann::json::parse(receiveText().value());
        }
        EXPECT_EQ(message.at("chunk").get<std::int64_t>(), i);
        whole += message.at("data").get<std::string>();
    }
    return nlohmann::json::parse(whole);
}

nlohmann::json BridgeProcess::request(nlohmann::json message) {
    if (!message.contains("id")) {
        message["id"] = nextId_++;
    }
    if (!message.contains("origin")) {
        message["origin"] = origin;
    }
    send(message.dump());
    nlohmann::json reply = receive();
    EXPECT_EQ(reply.at("id"), message.at("id"));
    return reply;
}

void BridgeProcess::closeInput() {
    if (in_ >= 0) {
        ::close(in_);
        in_ = -1;
    }
}

int BridgeProcess::finish() {
    closeInput();
    if (pid_ <= 0) {
        return -1;
    }
    int status = 0;
    for (int waited = 0; waited < kWaitMillis; waited += 10) {
        pid_t done = ::waitpid(pid_, &status, WNOHANG);
        if (done == pid_) {
            pid_ = -1;
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        }
        ::usleep(10000);
    }
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, &status, 0);
    pid_ = -1;
    return -1;
}

bool BridgeProcess::alive() {
    if (pid_ <= 0) {
        return false;
    }
    int status = 0;
    if (::waitpid(pid_, &status, WNOHANG) == pid_) {
        pid_ = -1;
        return false;
    }
    return true;
}

#include "TestServer.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "platform/crypt/Digest.h"

extern char** environ;

TestServer::TestServer(const std::vector<std::string>& arguments) {
    int out[2];
    if (pipe2(out, O_CLOEXEC) != 0) {
        ADD_FAILURE() << "pipe failed";
        return;
    }
    std::vector<std::string> argv{"python3", std::string(HTTP_TEST_DIR) + "/http_server.py"};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    std::vector<char*> args;
    for (auto& a : argv) {
        args.push_back(a.data());
    }
    args.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    int rc = posix_spawnp(&pid_, "python3", &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    if (rc != 0) {
        close(out[0]);
        pid_ = -1;
        ADD_FAILURE() << "python3 could not be started";
        return;
    }

    // The first line is the port; wait at most ten seconds for it.
    std::string line;
    char c = 0;
    while (line.size() < 16) {
        pollfd fd{out[0], POLLIN, 0};
        if (poll(&fd, 1, 10000) != 1 || read(out[0], &c, 1) != 1 || c == '\n') {
            break;
        }
        line.push_back(c);
    }
    close(out[0]);
    port_ = std::atoi(line.c_str());
    if (port_ <= 0) {
        ADD_FAILURE() << "the test server reported no port";
    }
}

TestServer::~TestServer() {
    if (pid_ > 0) {
        kill(pid_, SIGKILL);
        int status = 0;
        while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
        }
    }
}

std::string TestServer::url(const std::string& path, bool secure) const {
    return std::string(secure ? "https" : "http") + "://127.0.0.1:" + std::to_string(port_) + path;
}

int closedPort() {
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    int port = 0;
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
        port = ntohs(address.sin_port);
    }
    close(fd);
    return port;
}

std::string largeBody(size_t n) {
    std::string out;
    for (size_t k = 0; out.size() < n; ++k) {
        std::string seed = "q2:" + std::to_string(k);
        auto block = platform::crypt::digest(platform::crypt::HashAlgorithm::SHA256,
                                             reinterpret_cast<const unsigned char*>(seed.data()),
                                             seed.size());
        out.append(block.begin(), block.end());
    }
    out.resize(n);
    return out;
}

#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

// A loopback server of http_server.py running in its own process for the life of the object:
// started on a free port (read back from the script), killed and reaped by the destructor.
class TestServer {
public:
    // Runs http_server.py with the arguments; fails the test when it does not report a port
    // within ten seconds.
    explicit TestServer(const std::vector<std::string>& arguments = {});
    ~TestServer();
    TestServer(const TestServer&) = delete;
    TestServer& operator=(const TestServer&) = delete;

    int port() const { return port_; }
    // "http://127.0.0.1:<port>" + path (or "https://..." when secure).
    std::string url(const std::string& path, bool secure = false) const;

private:
    pid_t pid_ = -1;
    int port_ = 0;
};

// A loopback port with nothing listening on it.
int closedPort();

// The body /large?size=n sends: SHA-256("q2:" + k) for k = 0, 1, ... concatenated.
std::string largeBody(size_t n);

#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "TestServer.h"
#include "platform/http/HTTPRequest.h"
#include "platform/http/WinInetHTTPSocketIO.h"

// A test of the HTTP client: a fresh temporary folder, no proxy and no scripted answers from
// the surroundings (restored afterwards), and an open client whose time-outs are short enough
// for a test.
class HttpTest : public ::testing::Test {
protected:
    struct Fetched {
        platform::http::HTTPRequest::Result result;
        std::string body;
        std::string reason;
        uint32_t lastError;
    };

    void SetUp() override;
    void TearDown() override;

    // GETs url with the fixture's client into a fresh response buffer.
    Fetched get(const std::string& url);
    // GETs url with a client of its own (same settings).
    Fetched get(platform::http::WinInetHTTPSocketIO& client, const std::string& url);

    std::string path(const std::string& name) const { return (dir_ / name).string(); }
    std::string readFile(const std::string& name) const;
    void writeFile(const std::string& name, const std::string& bytes) const;
    // Scripted answers for the user-interaction layer, one "kind=value" per line.
    void answers(const std::string& lines);
    // Sets an environment variable for this test only.
    void setEnv(const std::string& name, const std::string& value);
    // Keeps the variable's value to restore it after the test.
    void remember(const std::string& name);

    // The body /large?size=n sends: SHA-256("q2:" + k) for k = 0, 1, ... concatenated.
    static std::string pattern(size_t n);

    std::filesystem::path dir_;
    platform::http::WinInetHTTPSocketIO client_;
    std::map<std::string, std::optional<std::string>> savedEnv_;
};

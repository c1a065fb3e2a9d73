#include "HttpFixture.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "platform/http/MemoryBuffer.h"

using namespace platform::http;

namespace {

const char* const kIsolated[] = {"http_proxy",  "HTTP_PROXY", "https_proxy",
                                 "HTTPS_PROXY", "all_proxy",  "ALL_PROXY",
                                 "no_proxy",    "NO_PROXY",   "QUILLION_UI_ANSWERS"};

} // namespace

void HttpTest::SetUp() {
    std::string pattern = (std::filesystem::temp_directory_path() / "q2http.XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
    for (const char* name : kIsolated) {
        remember(name);
        unsetenv(name);
    }
    ASSERT_EQ(client_.Create(""), 1);
    HttpSettings settings;
    settings.connectTimeout = std::chrono::seconds(5);
    settings.stallTimeout = std::chrono::seconds(5);
    client_.setSettings(settings);
}

void HttpTest::TearDown() {
    for (const auto& [name, value] : savedEnv_) {
        if (value) {
            setenv(name.c_str(), value->c_str(), 1);
        } else {
            unsetenv(name.c_str());
        }
    }
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
}

void HttpTest::remember(const std::string& name) {
    if (savedEnv_.find(name) == savedEnv_.end()) {
        const char* previous = std::getenv(name.c_str());
        savedEnv_[name] = previous ? std::optional<std::string>(previous) : std::nullopt;
    }
}

void HttpTest::setEnv(const std::string& name, const std::string& value) {
    remember(name);
    setenv(name.c_str(), value.c_str(), 1);
}

HttpTest::Fetched HttpTest::get(const std::string& url) {
    return get(client_, url);
}

HttpTest::Fetched HttpTest::get(WinInetHTTPSocketIO& client, const std::string& url) {
    MemoryBuffer response;
    HTTPRequest request;
    auto result = request.Connect(&client, "GET", url, &response);
    return {result, std::string(response.view()), request.failureReason(), request.lastError()};
}

std::string HttpTest::readFile(const std::string& name) const {
    std::ifstream in(path(name), std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void HttpTest::writeFile(const std::string& name, const std::string& bytes) const {
    std::ofstream out(path(name), std::ios::binary);
    out << bytes;
}

void HttpTest::answers(const std::string& lines) {
    writeFile("answers", lines);
    setEnv("QUILLION_UI_ANSWERS", path("answers"));
}

std::string HttpTest::pattern(size_t n) {
    return largeBody(n);
}

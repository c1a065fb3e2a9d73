#include "platform/http/WinInetHTTPSocketIO.h"

#include <algorithm>
#include <cstdlib>

#include "platform/http/CurlHandles.h"

namespace platform::http {

namespace {

bool isSet(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && value[0] != '\0';
}

std::string valueOf(const char* name) {
    const char* value = std::getenv(name);
    return value == nullptr ? std::string() : std::string(value);
}

} // namespace

int WinInetHTTPSocketIO::Create(const std::string& agent) {
    agent_ = agent.empty() ? kDefaultAgent : agent;
    if (!initialiseCurl()) {
        diagnostic("WinInetHTTPSocketIO", "InternetOpen", "libcurl could not be initialised");
        return -1;
    }
    created_ = true;
    return 1;
}

bool WinInetHTTPSocketIO::IsTrustURL(const std::string& url) {
    if (url.empty() || !created_) {
        return false;
    }
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (std::find(trusted_.begin(), trusted_.end(), url) != trusted_.end()) {
            return true;
        }
    }
    // The decision may take its time (a subclass may ask someone); it runs outside the lock.
    if (!TrustURL(url)) {
        return false;
    }
    std::lock_guard<std::mutex> lock(mutex_);
    if (std::find(trusted_.begin(), trusted_.end(), url) == trusted_.end()) {
        trusted_.push_back(url);
    }
    return true;
}

std::vector<std::string> WinInetHTTPSocketIO::trustedURLs() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return trusted_;
}

bool WinInetHTTPSocketIO::TrustURL(const std::string&) {
    return true;
}

int WinInetHTTPSocketIO::CheckProxy() const {
    // The names libcurl reads: "http_proxy" only in lower case (the upper-case form could come
    // from a CGI request header), the others in either case.
    const bool proxy = isSet("http_proxy") || isSet("https_proxy") || isSet("HTTPS_PROXY") ||
                       isSet("all_proxy") || isSet("ALL_PROXY");
    if (!proxy) {
        return 0;
    }
    std::string noProxy = isSet("no_proxy") ? valueOf("no_proxy") : valueOf("NO_PROXY");
    return noProxy == "*" ? 0 : 1;
}

void WinInetHTTPSocketIO::diagnostic(const std::string& name, const std::string& function,
                                     const std::string& message) const {
    if (sink_) {
        sink_(name + "(): " + function + "(): Error: " + message);
    }
}

} // namespace platform::http

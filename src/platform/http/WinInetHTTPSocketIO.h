#pragma once

#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "platform/http/HttpSettings.h"

namespace platform::http {

// The HTTP client: the user agent, the limits of its exchanges, the list of base URLs it has
// agreed to contact, and an optional diagnostic sink. One client serves any number of
// requests (HTTPRequest), also from several threads: the trusted-URL list is guarded by the
// client's mutex, everything else is set up before the requests run.
class WinInetHTTPSocketIO {
public:
    static constexpr const char* kDefaultAgent = "Ondrel - HTTP Agent";
    static constexpr const char* kUntrustedURL = "La URL no es de confianza";

    // Receives the diagnostic texts of the client and its requests:
    // name + "(): " + function + "(): Error: " + message. Called on the thread of the
    // exchange, while the thread that called Connect waits for it.
    using DiagnosticSink = std::function<void(const std::string&)>;

    WinInetHTTPSocketIO() = default;
    virtual ~WinInetHTTPSocketIO() = default;
    WinInetHTTPSocketIO(const WinInetHTTPSocketIO&) = delete;
    WinInetHTTPSocketIO& operator=(const WinInetHTTPSocketIO&) = delete;

    // Opens the client with the agent text (empty: kDefaultAgent): 1, or -1 when the HTTP
    // library cannot be initialised. Requests need an open client.
    int Create(const std::string& agent);
    bool created() const noexcept { return created_; }
    const std::string& agent() const noexcept { return agent_; }

    // Whether the base URL ("http://host:port/") may be contacted. An empty URL, or any URL
    // before Create, is refused. A URL already in the trusted list is accepted; otherwise the
    // client's trust decision (TrustURL) is asked and an accepted URL joins the list.
    bool IsTrustURL(const std::string& url);
    // The trusted base URLs, in the order they were accepted.
    std::vector<std::string> trustedURLs() const;

    // 1 when the environment configures a proxy (http_proxy, https_proxy, all_proxy, their
    // upper-case forms where libcurl reads them) that may take part in an exchange, 0 when every
    // exchange goes direct (no proxy, or no_proxy "*").
    int CheckProxy() const;

    const HttpSettings& settings() const noexcept { return settings_; }
    void setSettings(const HttpSettings& settings) { settings_ = settings; }

    void setDiagnosticSink(DiagnosticSink sink) { sink_ = std::move(sink); }
    // Sends name + "(): " + function + "(): Error: " + message to the sink, if any.
    void diagnostic(const std::string& name, const std::string& function,
                    const std::string& message) const;

protected:
    // The client's decision for a URL not yet trusted. This client accepts every URL.
    virtual bool TrustURL(const std::string& url);

private:
    bool created_ = false;
    std::string agent_;
    HttpSettings settings_;
    DiagnosticSink sink_;
    mutable std::mutex mutex_;
    std::vector<std::string> trusted_;
};

} // namespace platform::http

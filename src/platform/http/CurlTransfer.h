#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/http/CurlHandles.h"
#include "platform/http/HttpSettings.h"
#include "platform/http/MemoryBuffer.h"

namespace platform::http {

// One HTTP exchange at a time over libcurl, driven step by step by its owner: start the
// request, write the pieces of a POST body, wait for the response status, read the body chunk
// by chunk. The handles live as long as the object, so a retry or a second request to the
// same server reuses the connection. Proxies come from the environment (http_proxy,
// https_proxy, all_proxy, no_proxy), TLS peers are verified (certificate and host name),
// redirects are followed over http and https only, and every wait is bounded by the connect
// and stalled-transfer time-outs of the settings.
class CurlTransfer {
public:
    struct Request {
        std::string url;
        bool post = false;
        uint64_t uploadLength = 0;        // POST: the exact number of body bytes
        std::vector<std::string> headers; // "Name: value" lines added to the request
        std::string agent;
        HttpSettings settings;
    };

    // Raises std::runtime_error when libcurl cannot be initialised or make its handles.
    CurlTransfer();
    ~CurlTransfer();
    CurlTransfer(const CurlTransfer&) = delete;
    CurlTransfer& operator=(const CurlTransfer&) = delete;

    // Ends the current exchange, if any, and starts this one; nothing is sent before the
    // first write, endUpload or waitForResponse. Raises std::runtime_error when libcurl
    // refuses an option.
    void start(const Request& request);
    // Sends a piece of the POST body (the bytes need to live only during the call). False
    // when the exchange failed before the piece was taken.
    bool write(const unsigned char* bytes, size_t n);
    // The POST body is complete.
    void endUpload();
    // Runs the exchange until the final response's status is known: its first body bytes
    // arrived, or the exchange ended.
    void waitForResponse();
    // The next chunk of the body (valid until the next call) and its length, or null at the
    // end of the body (or when the exchange failed: see failed()).
    const unsigned char* read(size_t& length);
    // Ends the exchange; what is left of the response is dropped.
    void finish() noexcept;

    // Whether the exchange ended with a transport error (no response, time-out, TLS, body
    // too large, ...), its libcurl code and a text for people.
    bool failed() const noexcept { return done_ && result_ != CURLE_OK; }
    int errorCode() const noexcept { return result_; }
    std::string errorText() const;

    // The status code of the final response (0 when none came) and its reason phrase.
    long status() const noexcept;
    const std::string& reasonPhrase() const noexcept { return reason_; }
    // The status a proxy gave to a tunnel request (CONNECT), 0 when there was none.
    long proxyConnectStatus() const noexcept;
    // Whether the final response's challenges (WWW-Authenticate, or Proxy-Authenticate when
    // proxy is true) offer the Basic scheme only.
    bool basicChallengeOnly(bool proxy) const noexcept;

    // Credentials for the server (proxy false) or the proxy, sent by the next start. With
    // basic they go out with the first request; otherwise libcurl picks the scheme the
    // challenge offers.
    void setCredentials(bool proxy, const std::string& user, const std::string& password,
                        bool basic);

private:
    struct Credentials {
        std::string user;
        std::string password;
        bool basic = false;
        bool set = false;
    };

    template <typename Done> void drive(Done done);
    void collectResult();
    void fail(CURLcode code, const std::string& text);
    void applyOptions(const Request& request);

    static size_t onBody(char* data, size_t size, size_t count, void* self) noexcept;
    static size_t onHeader(char* data, size_t size, size_t count, void* self) noexcept;
    static size_t onUpload(char* data, size_t size, size_t count, void* self) noexcept;

    CurlMultiPtr multi_;
    CurlEasyPtr easy_;
    CurlSlistPtr headers_;
    bool attached_ = false;
    bool done_ = false;
    CURLcode result_ = CURLE_OK;
    std::string ownError_;
    char errorBuffer_[CURL_ERROR_SIZE] = {};

    std::string agent_;
    std::string url_;
    Credentials server_;
    Credentials proxy_;

    // Response: the chunks not yet read, and what the final response said.
    MemoryBuffer received_;
    bool handedOut_ = false;
    bool bodyStarted_ = false;
    uint64_t bodyBytes_ = 0;
    size_t maxBody_ = kMaxBodySize;
    bool bodyTooLarge_ = false;
    std::string reason_;
    std::vector<std::string> serverSchemes_;
    std::vector<std::string> proxySchemes_;

    // Upload: the piece being written and how much of it libcurl took.
    const unsigned char* upload_ = nullptr;
    size_t uploadLength_ = 0;
    size_t uploadTaken_ = 0;
    bool uploadEnded_ = false;
};

} // namespace platform::http

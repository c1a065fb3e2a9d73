#include "platform/http/CurlTransfer.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <stdexcept>
#include <string_view>

#include "stream/StringUtil.h"

namespace platform::http {

namespace {

// Longest wait in one poll; libcurl's own timers (time-outs included) shorten it.
constexpr int kPollMillis = 1000;
// Redirects followed before giving up.
constexpr long kMaxRedirects = 10;
// Time-outs are given to libcurl in whole seconds, at least one, at most a year.
constexpr long long kMaxSeconds = 365LL * 24 * 3600;

template <typename T> void setOption(CURL* easy, CURLoption option, T value) {
    CURLcode rc = curl_easy_setopt(easy, option, value);
    if (rc != CURLE_OK) {
        throw std::runtime_error(std::string("curl_easy_setopt: ") + curl_easy_strerror(rc));
    }
}

long seconds(std::chrono::seconds value) {
    return static_cast<long>(std::clamp<long long>(value.count(), 1, kMaxSeconds));
}

constexpr std::string_view kBlanks = " \t\r\n";

// The first token of a challenge header's value ("Basic realm=..." -> "Basic").
std::string schemeOf(std::string_view value) {
    std::string text = stream::StringUtil::trim(value, kBlanks);
    return text.substr(0, text.find_first_of(" \t,"));
}

bool startsWith(const std::string& text, std::string_view prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

} // namespace

CurlTransfer::CurlTransfer() {
    if (!initialiseCurl()) {
        throw std::runtime_error("libcurl could not be initialised");
    }
    multi_.reset(curl_multi_init());
    easy_.reset(curl_easy_init());
    if (!multi_ || !easy_) {
        throw std::runtime_error("libcurl could not create its handles");
    }
}

CurlTransfer::~CurlTransfer() {
    finish();
}

void CurlTransfer::start(const Request& request) {
    finish();
    done_ = false;
    result_ = CURLE_OK;
    ownError_.clear();
    errorBuffer_[0] = '\0';
    received_.clear();
    handedOut_ = false;
    bodyStarted_ = false;
    bodyBytes_ = 0;
    maxBody_ = request.settings.maxBodySize;
    received_.setLimit(maxBody_);
    bodyTooLarge_ = false;
    reason_.clear();
    serverSchemes_.clear();
    proxySchemes_.clear();
    uploadEnded_ = false;

    curl_easy_reset(easy_.get());
    applyOptions(request);
    CURLMcode mc = curl_multi_add_handle(multi_.get(), easy_.get());
    if (mc != CURLM_OK) {
        throw std::runtime_error(std::string("curl_multi_add_handle: ") + curl_multi_strerror(mc));
    }
    attached_ = true;
}

void CurlTransfer::applyOptions(const Request& request) {
    CURL* easy = easy_.get();
    agent_ = request.agent;
    url_ = request.url;
    CurlSlistPtr headers;
    std::vector<std::string> lines = request.headers;
    if (request.post) {
        // The body goes out right after the headers, without waiting for "100 Continue".
        lines.push_back("Expect:");
    }
    for (const std::string& line : lines) {
        curl_slist* grown = curl_slist_append(headers.get(), line.c_str());
        if (grown == nullptr) {
            throw std::runtime_error("curl_slist_append: out of memory");
        }
        headers.release();
        headers.reset(grown);
    }
    headers_ = std::move(headers);

    setOption(easy, CURLOPT_URL, url_.c_str());
    setOption(easy, CURLOPT_NOSIGNAL, 1L);
    setOption(easy, CURLOPT_PROTOCOLS_STR, "http,https");
    setOption(easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    setOption(easy, CURLOPT_FOLLOWLOCATION, request.settings.followRedirects ? 1L : 0L);
    setOption(easy, CURLOPT_MAXREDIRS, kMaxRedirects);
    setOption(easy, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
    setOption(easy, CURLOPT_USERAGENT, agent_.c_str());
    setOption(easy, CURLOPT_HTTPHEADER, headers_.get());
    setOption(easy, CURLOPT_CONNECTTIMEOUT, seconds(request.settings.connectTimeout));
    setOption(easy, CURLOPT_LOW_SPEED_LIMIT, 1L);
    setOption(easy, CURLOPT_LOW_SPEED_TIME, seconds(request.settings.stallTimeout));
    setOption(easy, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(maxBody_));
    setOption(easy, CURLOPT_SSL_VERIFYPEER, 1L);
    setOption(easy, CURLOPT_SSL_VERIFYHOST, 2L);
    setOption(easy, CURLOPT_PROXY_SSL_VERIFYPEER, 1L);
    setOption(easy, CURLOPT_PROXY_SSL_VERIFYHOST, 2L);
    if (!request.settings.caFile.empty()) {
        setOption(easy, CURLOPT_CAINFO, request.settings.caFile.c_str());
        setOption(easy, CURLOPT_CAPATH, static_cast<const char*>(nullptr));
    }
    setOption(easy, CURLOPT_ERRORBUFFER, errorBuffer_);
    setOption(easy, CURLOPT_WRITEFUNCTION, &CurlTransfer::onBody);
    setOption(easy, CURLOPT_WRITEDATA, static_cast<void*>(this));
    setOption(easy, CURLOPT_HEADERFUNCTION, &CurlTransfer::onHeader);
    setOption(easy, CURLOPT_HEADERDATA, static_cast<void*>(this));
    if (request.post) {
        if (request.uploadLength > static_cast<uint64_t>(std::numeric_limits<curl_off_t>::max())) {
            throw std::runtime_error("POST body too large");
        }
        setOption(easy, CURLOPT_POST, 1L);
        setOption(easy, CURLOPT_READFUNCTION, &CurlTransfer::onUpload);
        setOption(easy, CURLOPT_READDATA, static_cast<void*>(this));
        setOption(easy, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(request.uploadLength));
    } else {
        setOption(easy, CURLOPT_HTTPGET, 1L);
    }
    if (server_.set) {
        setOption(easy, CURLOPT_USERNAME, server_.user.c_str());
        setOption(easy, CURLOPT_PASSWORD, server_.password.c_str());
        setOption(easy, CURLOPT_HTTPAUTH, server_.basic ? CURLAUTH_BASIC : CURLAUTH_ANY);
    }
    if (proxy_.set) {
        setOption(easy, CURLOPT_PROXYUSERNAME, proxy_.user.c_str());
        setOption(easy, CURLOPT_PROXYPASSWORD, proxy_.password.c_str());
        setOption(easy, CURLOPT_PROXYAUTH, proxy_.basic ? CURLAUTH_BASIC : CURLAUTH_ANY);
    }
}

template <typename Done> void CurlTransfer::drive(Done done) {
    while (attached_ && !done_ && !done()) {
        int running = 0;
        CURLMcode mc = curl_multi_perform(multi_.get(), &running);
        if (mc != CURLM_OK) {
            fail(CURLE_FAILED_INIT, std::string("curl_multi_perform: ") + curl_multi_strerror(mc));
            return;
        }
        collectResult();
        if (done_ || done()) {
            return;
        }
        mc = curl_multi_poll(multi_.get(), nullptr, 0, kPollMillis, nullptr);
        if (mc != CURLM_OK) {
            fail(CURLE_FAILED_INIT, std::string("curl_multi_poll: ") + curl_multi_strerror(mc));
            return;
        }
    }
}

void CurlTransfer::collectResult() {
    int queued = 0;
    while (CURLMsg* message = curl_multi_info_read(multi_.get(), &queued)) {
        if (message->msg == CURLMSG_DONE && message->easy_handle == easy_.get()) {
            done_ = true;
            result_ = message->data.result;
        }
    }
}

void CurlTransfer::fail(CURLcode code, const std::string& text) {
    done_ = true;
    result_ = code;
    ownError_ = text;
}

bool CurlTransfer::write(const unsigned char* bytes, size_t n) {
    if (n == 0) {
        return !failed();
    }
    upload_ = bytes;
    uploadLength_ = n;
    uploadTaken_ = 0;
    if (attached_) {
        curl_easy_pause(easy_.get(), CURLPAUSE_CONT);
    }
    drive([this] { return uploadTaken_ == uploadLength_; });
    bool taken = uploadTaken_ == uploadLength_;
    upload_ = nullptr;
    uploadLength_ = 0;
    uploadTaken_ = 0;
    // A server may answer before the whole body is sent; the rest is then of no use to it.
    return taken || (done_ && !failed());
}

void CurlTransfer::endUpload() {
    uploadEnded_ = true;
    if (attached_) {
        curl_easy_pause(easy_.get(), CURLPAUSE_CONT);
    }
}

void CurlTransfer::waitForResponse() {
    drive([this] { return bodyStarted_; });
}

const unsigned char* CurlTransfer::read(size_t& length) {
    if (handedOut_) {
        received_.clear();
        handedOut_ = false;
    }
    if (received_.empty()) {
        drive([this] { return !received_.empty(); });
    }
    const unsigned char* chunk = received_.Read(length);
    handedOut_ = chunk != nullptr;
    return chunk;
}

void CurlTransfer::finish() noexcept {
    if (attached_) {
        curl_multi_remove_handle(multi_.get(), easy_.get());
        attached_ = false;
    }
    received_.clear();
    handedOut_ = false;
    upload_ = nullptr;
    uploadLength_ = 0;
    uploadTaken_ = 0;
}

std::string CurlTransfer::errorText() const {
    if (!ownError_.empty()) {
        return ownError_;
    }
    if (bodyTooLarge_ || result_ == CURLE_FILESIZE_EXCEEDED) {
        return "the response body exceeds the limit of " + std::to_string(maxBody_) + " bytes";
    }
    std::string text = curl_easy_strerror(result_);
    if (errorBuffer_[0] != '\0') {
        text += ": ";
        text += stream::StringUtil::trim(errorBuffer_, kBlanks);
    }
    return text;
}

long CurlTransfer::status() const noexcept {
    long code = 0;
    if (curl_easy_getinfo(easy_.get(), CURLINFO_RESPONSE_CODE, &code) != CURLE_OK) {
        return 0;
    }
    return code;
}

long CurlTransfer::proxyConnectStatus() const noexcept {
    long code = 0;
    if (curl_easy_getinfo(easy_.get(), CURLINFO_HTTP_CONNECTCODE, &code) != CURLE_OK) {
        return 0;
    }
    return code;
}

bool CurlTransfer::basicChallengeOnly(bool proxy) const noexcept {
    const std::vector<std::string>& schemes = proxy ? proxySchemes_ : serverSchemes_;
    return !schemes.empty() && std::all_of(schemes.begin(), schemes.end(), [](const auto& s) {
        return stream::StringUtil::toUpperCase(s) == "BASIC";
    });
}

void CurlTransfer::setCredentials(bool proxy, const std::string& user, const std::string& password,
                                  bool basic) {
    Credentials& target = proxy ? proxy_ : server_;
    target.user = user;
    target.password = password;
    target.basic = basic;
    target.set = true;
}

size_t CurlTransfer::onBody(char* data, size_t size, size_t count, void* self) noexcept {
    auto* transfer = static_cast<CurlTransfer*>(self);
    const size_t n = size * count; // libcurl passes size 1
    if (n > transfer->maxBody_ - transfer->bodyBytes_) {
        transfer->bodyTooLarge_ = true;
        return 0; // ends the exchange with CURLE_WRITE_ERROR
    }
    if (!transfer->received_.Write(data, n)) {
        transfer->ownError_ = "out of memory for the response body";
        return 0;
    }
    transfer->bodyBytes_ += n;
    transfer->bodyStarted_ = true;
    return n;
}

size_t CurlTransfer::onHeader(char* data, size_t size, size_t count, void* self) noexcept {
    auto* transfer = static_cast<CurlTransfer*>(self);
    const size_t n = size * count;
    try {
        const std::string line = stream::StringUtil::trim(std::string_view(data, n), kBlanks);
        const std::string upper = stream::StringUtil::toUpperCase(line);
        constexpr std::string_view kServer = "WWW-AUTHENTICATE:";
        constexpr std::string_view kProxy = "PROXY-AUTHENTICATE:";
        if (startsWith(upper, "HTTP/")) {
            // A new response (after a redirect, a 100 or an authentication round): what the
            // previous one said no longer counts.
            transfer->serverSchemes_.clear();
            transfer->proxySchemes_.clear();
            transfer->reason_.clear();
            size_t code = line.find(' ');
            size_t reason = code == std::string::npos ? code : line.find(' ', code + 1);
            if (reason != std::string::npos) {
                transfer->reason_ = stream::StringUtil::trim(line.substr(reason + 1), kBlanks);
            }
        } else if (startsWith(upper, kServer)) {
            transfer->serverSchemes_.push_back(schemeOf(line.substr(kServer.size())));
        } else if (startsWith(upper, kProxy)) {
            transfer->proxySchemes_.push_back(schemeOf(line.substr(kProxy.size())));
        }
    } catch (...) {
        return 0; // out of memory: ends the exchange
    }
    return n;
}

size_t CurlTransfer::onUpload(char* data, size_t size, size_t count, void* self) noexcept {
    auto* transfer = static_cast<CurlTransfer*>(self);
    const size_t room = size * count;
    if (transfer->upload_ == nullptr || transfer->uploadTaken_ == transfer->uploadLength_) {
        return transfer->uploadEnded_ ? 0 : CURL_READFUNC_PAUSE;
    }
    size_t n = std::min(room, transfer->uploadLength_ - transfer->uploadTaken_);
    std::memcpy(data, transfer->upload_ + transfer->uploadTaken_, n);
    transfer->uploadTaken_ += n;
    return n;
}

} // namespace platform::http

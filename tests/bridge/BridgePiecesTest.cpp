// The bridge's pieces on their own: chunking, dates, origins, requests, the caller check.

#include "bridge/BridgeError.h"
#include "bridge/CallerCheck.h"
#include "bridge/IsoDate.h"
#include "bridge/OriginPolicy.h"
#include "bridge/ReplyChunker.h"
#include "bridge/Request.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <cstdlib>
#include <ctime>

namespace {

using nlohmann::json;

TEST(ReplyChunker, PiecesReassembleAndStayUnderTheLimit) {
    // Quotes, backslashes and control characters cost more once escaped; multibyte characters
    // must not be cut.
    std::string text = json({{"id", 3}, {"result", ""}}).dump();
    std::string payload;
    for (int i = 0; i < 5000; ++i) {
        payload += i % 7 == 0 ? "\"\\\x01" : "ñ€𝄞a";
    }
    std::string reply = json({{"id", 3}, {"result", payload}}).dump();
    for (std::size_t limit : {200u, 257u, 1000u, 4096u}) {
        std::vector<std::string> chunks = bridge::ReplyChunker::split(3, reply, limit);
        ASSERT_GT(chunks.size(), 1u);
        std::string whole;
        for (std::size_t i = 0; i < chunks.size(); ++i) {
            EXPECT_LE(chunks[i].size(), limit);
            json chunk = json::parse(chunks[i]); // valid UTF-8 throughout
            EXPECT_EQ(chunk["id"], 3);
            EXPECT_EQ(chunk["chunk"], i);
            EXPECT_EQ(chunk["chunks"], chunks.size());
            whole += chunk["data"].get<std::string>();
        }
        EXPECT_EQ(whole, reply) << limit;
    }
}

class LocalZone : public ::testing::Test {
protected:
    void SetUp() override {
        const char* tz = std::getenv("TZ");
        saved_ = tz ? tz : "";
        had_ = tz != nullptr;
        ::setenv("TZ", "Europe/Madrid", 1);
        ::tzset();
    }
    void TearDown() override {
        if (had_) {
            ::setenv("TZ", saved_.c_str(), 1);
        } else {
            ::unsetenv("TZ");
        }
        ::tzset();
    }
    std::string saved_;
    bool had_ = false;
};

TEST_F(LocalZone, IsoDatesRoundTripThroughLocalTime) {
    for (const char* text : {"2026-12-09T20:15:00.000Z", "2026-07-01T00:00:00.250Z",
                             "1999-12-31T23:59:59.999Z", "2000-02-29T12:00:00.000Z"}) {
        std::optional<DATE> date = bridge::IsoDate::parse(text);
        ASSERT_TRUE(date) << text;
        EXPECT_EQ(bridge::IsoDate::format(*date).value_or(""), text);
    }
    // An offset names the same instant.
    EXPECT_EQ(bridge::IsoDate::format(bridge::IsoDate::parse("2026-12-09T21:15:00+01:00").value()),
              "2026-12-09T20:15:00.000Z");
    // Winter in Madrid is UTC+1: 20:15Z is 21:15 local, which a VT_DATE holds.
    DATE local = bridge::IsoDate::parse("2026-12-09T20:15:00Z").value();
    EXPECT_NEAR((local - static_cast<long>(local)) * 24.0, 21.25, 1e-6);
}

TEST(IsoDate, RefusesWhatIsNotADate) {
    for (const char* text :
         {"", "2026", "2026-13-01", "2026-02-30", "2026-12-09T25:00:00Z", "2026-12-09T20:15:00",
          "2026-12-09T20:15:00Zjunk", "09/12/2026", "2026-12-09T20:15:00.Z", "-001-01-01"}) {
        EXPECT_FALSE(bridge::IsoDate::parse(text)) << text;
    }
}

TEST(OriginPolicy, OnlyHttpsAndLocalHttp) {
    for (const char* ok :
         {"https://example.org", "https://firma.example.org:8443", "http://localhost",
          "http://localhost:8080", "http://127.0.0.1:3000", "https://127.0.0.1"}) {
        EXPECT_TRUE(bridge::OriginPolicy::acceptable(ok)) << ok;
    }
    for (const char* bad :
         {"http://evil.example", "http://localhost.evil.example", "http://127.0.0.1.evil.example",
          "https://", "https://example.org/", "https://example.org:0", "https://example.org:99999",
          "https://user@example.org", "file:///etc/passwd", "chrome-extension://abc/", "null",
          "https://EXAMPLE.org", "https://example.org:80x", "http://localhost:", " https://a.b"}) {
        EXPECT_FALSE(bridge::OriginPolicy::acceptable(bad)) << bad;
    }
}

TEST(Request, ReadsEveryOperationAndRefusesWrongFields) {
    std::int64_t id = 0;
    bridge::Request r = bridge::Request::decode(
        R"({"id": 8, "origin": "https://a.b", "op": "call", "handle": 1, "name": "toBASE64",
            "args": [1, "x", null]})",
        id);
    EXPECT_EQ(id, 8);
    EXPECT_EQ(r.op, bridge::Operation::Call);
    EXPECT_EQ(r.args.size(), 3u);
    r = bridge::Request::decode(R"({"id": 9, "origin": "o", "op": "put", "handle": 2,
                                    "name": "n", "value": {"$bin": "AA=="}})",
                                id);
    EXPECT_EQ(r.value["$bin"], "AA==");
    struct Case {
        const char* text;
        std::int64_t id;
    };
    for (Case c : {Case{"", 0}, Case{"[]", 0},
                   Case{R"({"id": 0, "origin": "o", "op": "release",
                                                        "handle": 1})",
                        0},
                   Case{R"({"id": 1.5, "origin": "o", "op": "release", "handle": 1})", 0},
                   Case{R"({"id": -3, "origin": "o", "op": "release", "handle": 1})", 0},
                   Case{R"({"id": 4, "op": "release", "handle": 1})", 4},
                   Case{R"({"id": 5, "origin": "o", "op": "release", "handle": "1"})", 5},
                   Case{R"({"id": 6, "origin": "o", "op": "put", "handle": 1, "name": "n"})", 6},
                   Case{R"({"id": 7, "origin": "o", "op": "get", "handle": 1, "name": 3})", 7},
                   Case{"{\"id\": 8, \"origin\": \"\xff\", \"op\": \"x\"}", 0}}) {
        try {
            bridge::Request::decode(c.text, id);
            ADD_FAILURE() << "accepted: " << c.text;
        } catch (const bridge::BridgeError& e) {
            EXPECT_EQ(e.number(), bridge::kMalformed) << c.text;
            EXPECT_EQ(id, c.id) << c.text;
        }
    }
}

TEST(CallerCheck, OnlyOurExtension) {
    EXPECT_TRUE(bridge::CallerCheck::accepts(
        {"chrome-extension://ghjldjcackikbmlbkicbcfpnccpnmjah/", "--parent-window=0"}));
    EXPECT_TRUE(bridge::CallerCheck::accepts(
        {"/home/u/.mozilla/native-messaging-hosts/org.quillion.bridge.json",
         "quillion2@quillion.org"}));
    EXPECT_FALSE(bridge::CallerCheck::accepts({}));
    EXPECT_FALSE(bridge::CallerCheck::accepts({"chrome-extension://aaaaaaaaaaaaaaaa/"}));
    EXPECT_FALSE(bridge::CallerCheck::accepts({"/x/manifest.json", "other@example.org"}));
}

} // namespace

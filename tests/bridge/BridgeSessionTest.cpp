// qnbridge as the browser starts it: a child process over pipes, spoken to with the framing
// of native messaging, with the real module, real stores and scripted answers.

#include "BridgeProcess.h"

#include "stream/Base64.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/stat.h>

namespace {

using nlohmann::json;

constexpr std::int32_t kAccessDenied = static_cast<std::int32_t>(0x80070005u);
constexpr std::int32_t kInvalidArg = static_cast<std::int32_t>(0x80070057u);
constexpr std::int32_t kBadHandle = static_cast<std::int32_t>(0x80070006u);

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

mode_t modeOf(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
    return st.st_mode & 07777;
}

class BridgeSessionTest : public ::testing::Test {
protected:
    void SetUp() override { scratch = makeScratch(); }
    void TearDown() override { std::filesystem::remove_all(scratch); }

    // The origin of `bridge` allowed beforehand, so the only questions are about keys.
    void rememberOrigin(const std::string& origin) {
        std::filesystem::create_directories(scratch + "/home/bridge");
        std::ofstream(scratch + "/home/bridge/origins") << origin << "\n";
    }

    json create(BridgeProcess& bridge, const std::string& progid) {
        json reply = bridge.request({{"op", "create"}, {"progid", progid}});
        EXPECT_TRUE(reply.contains("result")) << reply.dump();
        return reply.value("result", json());
    }

    static json call(BridgeProcess& bridge, const json& object, const std::string& name,
                     json args = json::array()) {
        return bridge.request({{"op", "call"},
                               {"handle", object.at("$obj")},
                               {"name", name},
                               {"args", std::move(args)}});
    }

    std::string scratch;
};

TEST_F(BridgeSessionTest, ContentTextAndBase64) {
    BridgeProcess bridge(scratch, "consent=yes\n");
    json content = create(bridge, "Quillion2.QNContent");
    ASSERT_TRUE(content.contains("$obj"));
    json put = bridge.request({{"op", "put"},
                               {"handle", content["$obj"]},
                               {"name", "contentString"},
                               {"value", "Hola mundo"}});
    EXPECT_EQ(put, json({{"id", put["id"]}, {"result", nullptr}}));
    json got = bridge.request({{"op", "get"},
                               {"handle", content["$obj"]},
                               {"name", "ContentString"},
                               {"args", json::array()}});
    EXPECT_EQ(got["result"], "Hola mundo");
    EXPECT_EQ(call(bridge, content, "toBASE64")["result"], "SG9sYSBtdW5kbw==");
    // The origin the user allowed is remembered, privately.
    EXPECT_EQ(readFile(scratch + "/home/bridge/origins"), "https://firma.example.org\n");
    EXPECT_EQ(modeOf(scratch + "/home/bridge/origins"), 0600u);
    EXPECT_EQ(modeOf(scratch + "/home/bridge"), 0700u);
    EXPECT_EQ(bridge.finish(), 0);
}

TEST_F(BridgeSessionTest, BinaryStringsKeepOddLengthsAndZeros) {
    BridgeProcess bridge(scratch, "consent=yes\n");
    json content = create(bridge, "Quillion2.QNContent");
    const std::string bytes("\x00\x01\xff\x00\x80", 5);
    const std::string encoded = stream::Base64::encode(bytes);
    json put = bridge.request({{"op", "put"},
                               {"handle", content["$obj"]},
                               {"name", "contentData"},
                               {"value", {{"$bin", encoded}}}});
    ASSERT_TRUE(put.contains("result")) << put.dump();
    json got =
        bridge.request({{"op", "get"}, {"handle", content["$obj"]}, {"name", "contentData"}});
    EXPECT_EQ(got["result"], json({{"$bin", encoded}}));
    EXPECT_EQ(call(bridge, content, "toBASE64")["result"], encoded);
}

TEST_F(BridgeSessionTest, ReleasedObjectIsGone) {
    BridgeProcess bridge(scratch, "consent=yes\n");
    json content = create(bridge, "Quillion2.QNContent");
    json released = bridge.request({{"op", "release"}, {"handle", content["$obj"]}});
    EXPECT_TRUE(released.contains("result")) << released.dump();
    json after = call(bridge, content, "toBASE64");
    ASSERT_TRUE(after.contains("error")) << after.dump();
    EXPECT_EQ(after["error"]["number"], kBadHandle);
    json again = bridge.request({{"op", "release"}, {"handle", content["$obj"]}});
    EXPECT_EQ(again["error"]["number"], kBadHandle);
}

TEST_F(BridgeSessionTest, TenMegabyteResultArrivesInChunks) {
    BridgeProcess bridge(scratch, "consent=yes\n");
    json content = create(bridge, "Quillion2.QNContent");
    std::string bytes(10u * 1024u * 1024u + 1u, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = static_cast<char>((i * 131u + 7u) & 0xFF);
    }
    const std::string encoded = stream::Base64::encode(bytes);
    json put = bridge.request({{"op", "put"},
                               {"handle", content["$obj"]},
                               {"name", "contentData"},
                               {"value", {{"$bin", encoded}}}});
    ASSERT_TRUE(put.contains("result")) << put.dump().substr(0, 300);
    json message = {{"id", 900},          {"origin", bridge.origin},
                    {"op", "call"},       {"handle", content["$obj"]},
                    {"name", "toBASE64"}, {"args", json::array()}};
    bridge.send(message.dump());
    // The first message is a chunk; all of them reassemble into the exact reply.
    std::string first = bridge.receiveText().value();
    json chunk = json::parse(first);
    ASSERT_TRUE(chunk.contains("chunk")) << first.substr(0, 200);
    EXPECT_EQ(chunk["id"], 900);
    std::string whole = chunk["data"].get<std::string>();
    std::int64_t count = chunk["chunks"].get<std::int64_t>();
    EXPECT_GE(count, 14);
    for (std::int64_t i = 1; i < count; ++i) {
        json next = json::parse(bridge.receiveText().value());
        EXPECT_EQ(next["id"], 900);
        EXPECT_EQ(next["chunk"], i);
        whole += next["data"].get<std::string>();
    }
    EXPECT_EQ(whole, json({{"id", 900}, {"result", encoded}}).dump());
    // The connection goes on.
    EXPECT_TRUE(call(bridge, content, "getHash", {1}).contains("id"));
}

TEST_F(BridgeSessionTest, RefusedOriginIsAskedOnceAndRefusedThroughout) {
    // A second answer would allow it: the connection must not ask again.
    BridgeProcess bridge(scratch, "consent=no\nconsent=yes\n");
    json first = bridge.request({{"op", "create"}, {"progid", "Quillion2.QNContent"}});
    ASSERT_TRUE(first.contains("error")) << first.dump();
    EXPECT_EQ(first["error"]["number"], kAccessDenied);
    EXPECT_NE(first["error"]["description"].get<std::string>().find("firma.example.org"),
              std::string::npos);
    json second = bridge.request({{"op", "create"}, {"progid", "Quillion2.QNContent"}});
    EXPECT_EQ(second["error"]["number"], kAccessDenied);
    EXPECT_FALSE(std::filesystem::exists(scratch + "/home/bridge/origins"));
}

TEST_F(BridgeSessionTest, RememberedOriginIsNotAskedAgain) {
    {
        BridgeProcess bridge(scratch, "consent=yes\n");
        EXPECT_TRUE(create(bridge, "Quillion2.QNContent").contains("$obj"));
    }
    BridgeProcess again(scratch, "consent=no\n");
    EXPECT_TRUE(create(again, "Quillion2.QNContent").contains("$obj"));
}

TEST_F(BridgeSessionTest, PlainHttpElsewhereIsRefusedWithoutAsking) {
    BridgeProcess bridge(scratch, "consent=yes\n");
    bridge.origin = "http://evil.example";
    json reply = bridge.request({{"op", "create"}, {"progid", "Quillion2.QNContent"}});
    EXPECT_EQ(reply["error"]["number"], kAccessDenied);
    // Had it asked, the "yes" would have been remembered.
    EXPECT_FALSE(std::filesystem::exists(scratch + "/home/bridge/origins"));
}

TEST_F(BridgeSessionTest, LocalhostIsServed) {
    BridgeProcess bridge(scratch, "consent=yes\n");
    bridge.origin = "http://localhost:8443";
    EXPECT_TRUE(create(bridge, "Quillion2.QNContent").contains("$obj"));
}

TEST_F(BridgeSessionTest, OneConnectionServesOneOrigin) {
    BridgeProcess bridge(scratch, "consent=yes\nconsent=yes\n");
    EXPECT_TRUE(create(bridge, "Quillion2.QNContent").contains("$obj"));
    json other = bridge.request({{"origin", "https://otra.example.org"},
                                 {"op", "create"},
                                 {"progid", "Quillion2.QNContent"}});
    EXPECT_EQ(other["error"]["number"], kAccessDenied);
}

TEST_F(BridgeSessionTest, ClassNotSafeForScriptingIsRefused) {
    BridgeProcess bridge(scratch, "consent=yes\n");
    json reply = bridge.request({{"op", "create"}, {"progid", "Quillion2.PdfSign"}});
    ASSERT_TRUE(reply.contains("error")) << reply.dump();
    EXPECT_EQ(reply["error"]["number"], kAccessDenied);
    EXPECT_NE(reply["error"]["description"].get<std::string>().find("PdfSign"), std::string::npos);
    // An unknown class is simply not there.
    json unknown = bridge.request({{"op", "create"}, {"progid", "Quillion2.Nothing"}});
    EXPECT_EQ(unknown["error"]["number"], static_cast<std::int32_t>(0x800A01ADu));
}

TEST_F(BridgeSessionTest, PathMembersAreRefused) {
    std::ofstream(scratch + "/secret.txt") << "secreto";
    BridgeProcess bridge(scratch, "consent=yes\n");
    json content = create(bridge, "Quillion2.QNContent");
    for (const char* name : {"loadFileWithPath", "LOADFILEWITHPATH", "getFileSizeByPath"}) {
        json reply = call(bridge, content, name, {scratch + "/secret.txt"});
        ASSERT_TRUE(reply.contains("error")) << name << reply.dump();
        EXPECT_EQ(reply["error"]["number"], kAccessDenied) << name;
    }
    json save = call(bridge, content, "saveFile", {scratch + "/written.txt"});
    EXPECT_EQ(save["error"]["number"], kAccessDenied);
    EXPECT_FALSE(std::filesystem::exists(scratch + "/written.txt"));
    // Nothing was loaded.
    EXPECT_EQ(
        bridge.request(
            {{"op", "get"}, {"handle", content["$obj"]}, {"name", "contentString"}})["result"],
        "");
}

TEST_F(BridgeSessionTest, MalformedMessagesGetErrorsAndTheConnectionGoesOn) {
    BridgeProcess bridge(scratch, "consent=yes\n");
    bridge.send("{not json");
    json reply = bridge.receive();
    EXPECT_EQ(reply["id"], 0);
    EXPECT_EQ(reply["error"]["number"], kInvalidArg);
    bridge.send("");
    EXPECT_EQ(bridge.receive()["error"]["number"], kInvalidArg);
    bridge.send(R"({"id": "7", "origin": "https://firma.example.org", "op": "create"})");
    EXPECT_EQ(bridge.receive()["id"], 0);
    bridge.send(R"({"id": 8, "origin": "https://firma.example.org", "op": "create", "progid": 5})");
    reply = bridge.receive();
    EXPECT_EQ(reply["id"], 8);
    EXPECT_EQ(reply["error"]["number"], kInvalidArg);
    bridge.send(R"({"id": 9, "origin": "https://firma.example.org", "op": "call", "handle": 1,
                    "name": "toBASE64", "args": {}})");
    EXPECT_EQ(bridge.receive()["error"]["number"], kInvalidArg);
    bridge.send(R"({"id": 10, "origin": "https://firma.example.org", "op": "jump"})");
    EXPECT_EQ(bridge.receive()["error"]["number"], kInvalidArg);
    bridge.send(std::string(100000, '[') + std::string(100000, ']'));
    EXPECT_EQ(bridge.receive()["error"]["number"], kInvalidArg);
    json content = create(bridge, "Quillion2.QNContent");
    json bad = bridge.request({{"op", "put"},
                               {"handle", content["$obj"]},
                               {"name", "contentData"},
                               {"value", {{"$bin", "no es base64!"}}}});
    EXPECT_EQ(bad["error"]["number"], kInvalidArg);
    EXPECT_TRUE(call(bridge, content, "toBASE64").contains("result"));
    EXPECT_EQ(bridge.finish(), 0);
}

TEST_F(BridgeSessionTest, ShortLengthGetsAnErrorBeforeTheEnd) {
    BridgeProcess bridge(scratch, "");
    bridge.sendRaw(std::string("\x05\x00", 2));
    bridge.closeInput();
    json reply = bridge.receive();
    EXPECT_EQ(reply["id"], 0);
    EXPECT_EQ(reply["error"]["number"], kInvalidArg);
    EXPECT_FALSE(bridge.receiveText().has_value());
    bridge.finish();
}

TEST_F(BridgeSessionTest, LengthOverTheLimitEndsTheConnectionAfterAnError) {
    BridgeProcess bridge(scratch, "");
    std::uint32_t length = 64u * 1024u * 1024u + 1u;
    bridge.sendRaw(std::string(reinterpret_cast<const char*>(&length), 4) + "{}");
    json reply = bridge.receive();
    EXPECT_EQ(reply["id"], 0);
    EXPECT_EQ(reply["error"]["number"], kInvalidArg);
    EXPECT_FALSE(bridge.receiveText().has_value());
    EXPECT_NE(bridge.finish(), 0);
}

TEST_F(BridgeSessionTest, TruncatedMessageGetsAnError) {
    BridgeProcess bridge(scratch, "");
    std::uint32_t length = 100;
    bridge.sendRaw(std::string(reinterpret_cast<const char*>(&length), 4) + "{\"id\":");
    bridge.closeInput();
    json reply = bridge.receive();
    EXPECT_EQ(reply["error"]["number"], kInvalidArg);
    bridge.finish();
}

} // namespace

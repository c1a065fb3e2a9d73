// Private keys under the bridge: every use is put to the user, naming the page and the
// certificate; a refusal fails the call with 1223, an approval gives a signature openssl
// verifies. Certificates, dates and listings as the page sees them.

#include "BridgeSigner.h"

#include "stream/Base64.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace {

using nlohmann::json;

class BridgeSigningTest : public ::testing::Test {
protected:
    void SetUp() override {
        scratch = makeScratch();
        ASSERT_NO_FATAL_FAILURE(installSigner(scratch));
        rememberOrigin(scratch, "https://firma.example.org");
    }
    void TearDown() override { std::filesystem::remove_all(scratch); }

    static json result(BridgeProcess& bridge, json request) {
        return resultOf(bridge, std::move(request));
    }
    static json call(BridgeProcess& bridge, const json& object, const std::string& name,
                     json args = json::array()) {
        return callOn(bridge, object, name, std::move(args));
    }
    static int run(const std::string& command) { return runQuietly(command); }

    // Signs "Documento firmado" detached in CAdES; the reply of sign.
    json sign(BridgeProcess& bridge) {
        json system = result(bridge, {{"op", "create"}, {"progid", "Quillion2.QNCryptoSystem"}});
        json cert = firstCertificate(bridge, system);
        EXPECT_TRUE(call(bridge, system, "setMode", {7}).contains("result"));
        EXPECT_TRUE(call(bridge, system, "setProperty", {"HashAlgorithm", "2.16.840.1.101.3.4.2.1"})
                        .contains("result"));
        json signer = call(bridge, system, "newSignData")["result"];
        json doc = result(bridge, {{"op", "create"}, {"progid", "Quillion2.QNContent"}});
        result(bridge, {{"op", "put"},
                        {"handle", doc["$obj"]},
                        {"name", "contentString"},
                        {"value", "Documento firmado"}});
        return call(bridge, signer, "sign", {doc, cert, 1});
    }

    std::string scratch;
};

TEST_F(BridgeSigningTest, RefusedKeyUseFailsWithCancelled) {
    BridgeProcess bridge(scratch, "consent=no\n");
    json reply = sign(bridge);
    ASSERT_TRUE(reply.contains("error")) << reply.dump();
    // The platform refuses with 1223, which the signer reports as it reports a cancelled
    // password prompt.
    EXPECT_EQ(reply["error"]["number"], static_cast<std::int32_t>(0x80044661u)) << reply.dump();
    EXPECT_EQ(reply["error"]["description"], "El usuario ha cancelado la operacion");
    EXPECT_EQ(bridge.finish(), 0);
}

TEST_F(BridgeSigningTest, ApprovedKeyUseGivesASignatureOpensslVerifies) {
    BridgeProcess bridge(scratch, "consent=yes\n");
    json reply = sign(bridge);
    ASSERT_TRUE(reply.contains("result")) << reply.dump();
    json signature = reply["result"];
    json base64 = call(bridge, signature, "toBASE64")["result"];
    ASSERT_TRUE(base64.is_string());
    {
        std::ofstream(scratch + "/doc.txt", std::ios::binary) << "Documento firmado";
        std::ofstream(scratch + "/sig.p7s", std::ios::binary)
            << stream::Base64::decode(base64.get<std::string>());
    }
    EXPECT_EQ(run("openssl cms -verify -binary -inform DER -in " + scratch + "/sig.p7s -content " +
                  scratch + "/doc.txt -CAfile " + scratch + "/ca.pem -purpose any -out " + scratch +
                  "/out.txt"),
              0);
    // A second use asks again: there is no answer left, so it is refused.
    json second = sign(bridge);
    EXPECT_TRUE(second.contains("error")) << second.dump();
}

TEST_F(BridgeSigningTest, DatesListingsAndObjectsAsArguments) {
    BridgeProcess bridge(scratch, "");
    json system = result(bridge, {{"op", "create"}, {"progid", "Quillion2.QNCryptoSystem"}});
    json store = call(bridge, system, "openSystemStore", {"MY", 2})["result"];
    json certs = call(bridge, store, "getCertificates")["result"];
    // A 2-D listing comes as rows.
    json listing = call(bridge, system, "getCertificates", {certs, 0, "ALL", 0, "Subject|CN", ""});
    ASSERT_TRUE(listing.contains("result")) << listing.dump();
    ASSERT_TRUE(listing["result"].is_array());
    ASSERT_FALSE(listing["result"].empty());
    ASSERT_TRUE(listing["result"][0].is_array()) << listing.dump();
    EXPECT_NE(listing["result"].dump().find("ANA FIRMA"), std::string::npos) << listing.dump();
    // A date comes as ISO 8601 in UTC, the instant openssl gives.
    json cert = call(bridge, certs, "getCertificate", {0})["result"];
    json to = call(bridge, cert, "getValidToDate")["result"];
    ASSERT_TRUE(to.contains("$date")) << to.dump();
    std::string iso = to["$date"].get<std::string>();
    ASSERT_EQ(iso.size(), 24u) << iso;
    EXPECT_EQ(iso.back(), 'Z');
    ASSERT_EQ(std::system(("date -u +%Y-%m-%dT%H:%M:%S -d \"$(openssl x509 -in " + scratch +
                           "/home/stores/CurrentUser/MY/1-firma.pem -noout -enddate | cut -d= "
                           "-f2)\" > " +
                           scratch + "/end.txt")
                              .c_str()),
              0);
    std::ifstream in(scratch + "/end.txt");
    std::string line;
    std::getline(in, line); // 2026-12-19T20:15:00
    EXPECT_EQ(iso.substr(0, 19), line);
}

} // namespace

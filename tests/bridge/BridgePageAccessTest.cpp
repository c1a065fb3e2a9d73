// A page cannot make the component read local files or other sites through what it gives
// (settings, contents, signatures to verify): only same-document references and URLs of its
// own origin are read. The real qnbridge over pipes, loopback servers for the page's origin
// and for another one, xmlsec1 as the peer that makes and checks the signatures.

#include "BridgeSigner.h"
#include "TestServer.h"

#include "stream/Base64.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

namespace {

using nlohmann::json;

constexpr std::int32_t kAccessDenied = static_cast<std::int32_t>(0x80070005u);
constexpr char kSecret[] = "SECRETO-DEL-EQUIPO";

std::string fileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

class BridgePageAccessTest : public ::testing::Test {
protected:
    void SetUp() override {
        unsetenv("http_proxy");
        unsetenv("HTTP_PROXY");
        unsetenv("all_proxy");
        scratch = makeScratch();
        ASSERT_NO_FATAL_FAILURE(installSigner(scratch));
        std::filesystem::create_directories(scratch + "/served");
        std::ofstream(scratch + "/served/pedido.xml") << "<pedido numero=\"7\">uno</pedido>\n";
        std::ofstream(scratch + "/served/secreto.xml") << "<s>" << kSecret << "</s>\n";
        std::ofstream(scratch + "/secreto.xml") << "<s>" << kSecret << "</s>\n";
        page = std::make_unique<TestServer>(std::vector<std::string>{
            "--files", scratch + "/served", "--log", scratch + "/page.log"});
        other = std::make_unique<TestServer>(std::vector<std::string>{
            "--files", scratch + "/served", "--log", scratch + "/other.log"});
        origin = "http://127.0.0.1:" + std::to_string(page->port());
        rememberOrigin(scratch, origin);
    }
    void TearDown() override {
        page.reset();
        other.reset();
        std::filesystem::remove_all(scratch);
    }

    // An XML-DSig signer of the page, enveloping, RSA-SHA1 (the only XML signature it makes).
    json xmlSigner(BridgeProcess& bridge) {
        json system = resultOf(bridge, {{"op", "create"}, {"progid", "Quillion2.QNCryptoSystem"}});
        cert = firstCertificate(bridge, system);
        EXPECT_TRUE(callOn(bridge, system, "setMode", {2}).contains("result"));
        EXPECT_TRUE(callOn(bridge, system, "setProperty", {"HashAlgorithm", "1.3.14.3.2.26"})
                        .contains("result"));
        EXPECT_TRUE(callOn(bridge, system, "setProperty", {"EnvelopeType", "ENVELOPING"})
                        .contains("result"));
        EXPECT_TRUE(callOn(bridge, system, "setProperty", {"IncludeSigningCertificate", "TRUE"})
                        .contains("result"));
        systemObject = system;
        return callOn(bridge, system, "newSignData")["result"];
    }
    json content(BridgeProcess& bridge, const std::string& text) {
        json doc = resultOf(bridge, {{"op", "create"}, {"progid", "Quillion2.QNContent"}});
        resultOf(
            bridge,
            {{"op", "put"}, {"handle", doc["$obj"]}, {"name", "contentString"}, {"value", text}});
        return doc;
    }
    // The reply of a detached XML signature of the URI.
    json signDetached(BridgeProcess& bridge, const std::string& uri) {
        json signer = xmlSigner(bridge);
        return callOn(bridge, signer, "sign", {content(bridge, uri), cert, 1});
    }
    void expectRefused(const json& reply, const std::string& what) {
        ASSERT_TRUE(reply.contains("error")) << reply.dump();
        EXPECT_EQ(reply["error"]["number"], kAccessDenied) << reply.dump();
        std::string description = reply["error"].value("description", "");
        EXPECT_NE(description.find("Acceso denegado"), std::string::npos) << description;
        EXPECT_NE(description.find(what), std::string::npos) << description;
        EXPECT_EQ(reply.dump().find(kSecret), std::string::npos) << reply.dump();
    }

    std::string scratch;
    std::string origin;
    std::unique_ptr<TestServer> page;
    std::unique_ptr<TestServer> other;
    json cert;
    json systemObject;
};

TEST_F(BridgePageAccessTest, DetachedSignatureOfALocalPathRefused) {
    BridgeProcess bridge(scratch, "consent=yes\n");
    bridge.origin = origin;
    const std::string path = scratch + "/secreto.xml";
    expectRefused(signDetached(bridge, path), path);
    EXPECT_EQ(bridge.finish(), 0);
}

TEST_F(BridgePageAccessTest, DetachedSignatureOfAFileUriRefused) {
    BridgeProcess bridge(scratch, "consent=yes\n");
    bridge.origin = origin;
    const std::string uri = "file://" + scratch + "/secreto.xml";
    expectRefused(signDetached(bridge, uri), uri);
    EXPECT_EQ(bridge.finish(), 0);
}

TEST_F(BridgePageAccessTest, DetachedSignatureOfAnotherOriginRefusedUnasked) {
    BridgeProcess bridge(scratch, "consent=yes\n");
    bridge.origin = origin;
    const std::string url = other->url("/files/secreto.xml");
    expectRefused(signDetached(bridge, url), url);
    EXPECT_EQ(bridge.finish(), 0);
    // The other site never saw a request.
    EXPECT_EQ(fileText(scratch + "/other.log"), "");
}

TEST_F(BridgePageAccessTest, RedirectionToAnotherOriginNotFollowed) {
    BridgeProcess bridge(scratch, "consent=yes\n");
    bridge.origin = origin;
    const std::string url = page->url("/redirect?to=" + other->url("/files/secreto.xml"));
    json reply = signDetached(bridge, url);
    ASSERT_TRUE(reply.contains("error")) << reply.dump();
    EXPECT_EQ(reply.dump().find(kSecret), std::string::npos) << reply.dump();
    EXPECT_EQ(bridge.finish(), 0);
    EXPECT_NE(fileText(scratch + "/page.log").find("GET /redirect"), std::string::npos);
    EXPECT_EQ(fileText(scratch + "/other.log"), "");
}

TEST_F(BridgePageAccessTest, DetachedSignatureOfTheOwnOriginSignedAndVerifiedByXmlsec1) {
    BridgeProcess bridge(scratch, "consent=yes\n");
    bridge.origin = origin;
    const std::string url = page->url("/files/pedido.xml");
    json reply = signDetached(bridge, url);
    ASSERT_TRUE(reply.contains("result")) << reply.dump();
    json base64 = callOn(bridge, reply["result"], "toBASE64")["result"];
    ASSERT_TRUE(base64.is_string()) << base64.dump();
    std::string signature = stream::Base64::decode(base64.get<std::string>());
    EXPECT_NE(signature.find("URI=\"" + url + "\""), std::string::npos) << signature;
    std::ofstream(scratch + "/firma.xml", std::ios::binary) << signature;
    const std::string check = "xmlsec1 --verify --trusted-pem " + scratch +
                              "/ca.pem --id-attr:Id SignatureProperty " + scratch +
                              "/firma.xml > " + scratch + "/xmlsec1.txt 2>&1";
    EXPECT_EQ(std::system(check.c_str()), 0) << fileText(scratch + "/xmlsec1.txt");
    EXPECT_EQ(bridge.finish(), 0);
}

TEST_F(BridgePageAccessTest, XadesPolicyOfALocalFileRefused) {
    BridgeProcess bridge(scratch, "consent=yes\n");
    bridge.origin = origin;
    json signer = xmlSigner(bridge);
    const std::string policy = "file://" + scratch + "/secreto.xml";
    ASSERT_TRUE(callOn(bridge, systemObject, "setProperty", {"Xades", "TRUE"}).contains("result"));
    ASSERT_TRUE(callOn(bridge, systemObject, "setProperty", {"SignaturePolicyId", policy})
                    .contains("result"));
    json reply = callOn(bridge, signer, "sign", {content(bridge, "<doc>hola</doc>"), cert, 0});
    expectRefused(reply, policy);
    EXPECT_EQ(bridge.finish(), 0);
}

TEST_F(BridgePageAccessTest, VerifiedReferenceToALocalFileFailsWithoutItsContent) {
    // A signature made by xmlsec1 of a local file: valid where files may be read.
    const std::string uri = "file://" + scratch + "/secreto.xml";
    std::ofstream(scratch + "/plantilla.xml")
        << "<Signature xmlns=\"http://www.w3.org/2000/09/xmldsig#\"><SignedInfo>"
           "<CanonicalizationMethod Algorithm=\"http://www.w3.org/TR/2001/REC-xml-c14n-20010315\"/>"
           "<SignatureMethod Algorithm=\"http://www.w3.org/2001/04/xmldsig-more#rsa-sha256\"/>"
           "<Reference URI=\""
        << uri
        << "\"><DigestMethod Algorithm=\"http://www.w3.org/2001/04/xmlenc#sha256\"/>"
           "<DigestValue/></Reference></SignedInfo><SignatureValue/><KeyInfo><X509Data/>"
           "</KeyInfo></Signature>\n";
    const std::string my = scratch + "/home/stores/CurrentUser/MY";
    ASSERT_EQ(runQuietly("xmlsec1 --sign --privkey-pem " + my + "/1-firma.key," + my +
                         "/1-firma.pem --output " + scratch + "/firmado.xml " + scratch +
                         "/plantilla.xml"),
              0);
    ASSERT_EQ(runQuietly("xmlsec1 --verify --trusted-pem " + scratch + "/ca.pem " + scratch +
                         "/firmado.xml"),
              0);

    BridgeProcess bridge(scratch, "");
    bridge.origin = origin;
    json system = resultOf(bridge, {{"op", "create"}, {"progid", "Quillion2.QNCryptoSystem"}});
    ASSERT_TRUE(callOn(bridge, system, "setMode", {2}).contains("result"));
    json verifier = callOn(bridge, system, "newVerifier")["result"];
    json reply = callOn(bridge, verifier, "verify",
                        {content(bridge, fileText(scratch + "/firmado.xml")), nullptr, 0});
    ASSERT_TRUE(reply.contains("result")) << reply.dump();
    EXPECT_EQ(reply["result"], 0) << reply.dump();
    json status = callOn(bridge, verifier, "getStatus", {0});
    ASSERT_TRUE(status.contains("result")) << status.dump();
    ASSERT_TRUE(status["result"].contains("$obj")) << status.dump();
    json description = resultOf(
        bridge,
        {{"op", "get"}, {"handle", status["result"]["$obj"]}, {"name", "errorDescription"}});
    ASSERT_TRUE(description.is_string()) << description.dump();
    const std::string text = description.get<std::string>();
    EXPECT_NE(text.find("Reference URI=\"" + uri + "\" failed to verify"), std::string::npos)
        << text;
    EXPECT_NE(text.find("Acceso denegado"), std::string::npos) << text;
    EXPECT_EQ(text.find(kSecret), std::string::npos) << text;
    json got = callOn(bridge, verifier, "getContent");
    EXPECT_EQ(got.dump().find(kSecret), std::string::npos) << got.dump();
    if (got.contains("result") && got["result"].contains("$obj")) {
        json encoded = callOn(bridge, got["result"], "toBASE64");
        ASSERT_TRUE(encoded.contains("result")) << encoded.dump();
        if (encoded["result"].is_string()) {
            EXPECT_EQ(stream::Base64::decode(encoded["result"].get<std::string>()).find(kSecret),
                      std::string::npos);
        }
    }
    EXPECT_EQ(bridge.finish(), 0);
}

} // namespace

#include "BridgeSigner.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

using nlohmann::json;

int runQuietly(const std::string& command) {
    return std::system((command + " >/dev/null 2>&1").c_str());
}

void installSigner(const std::string& scratch) {
    const std::string my = scratch + "/home/stores/CurrentUser/MY";
    std::filesystem::create_directories(my);
    ASSERT_EQ(runQuietly("openssl req -x509 -newkey rsa:2048 -nodes -days 30 -subj "
                         "'/C=ES/O=ACME/CN=AC Puente' -addext basicConstraints=critical,CA:TRUE "
                         "-addext keyUsage=critical,keyCertSign -keyout " +
                         scratch + "/ca.key -out " + scratch + "/ca.pem"),
              0);
    ASSERT_EQ(runQuietly("openssl req -newkey rsa:2048 -nodes -subj '/C=ES/O=ACME/CN=ANA FIRMA' "
                         "-keyout " +
                         my + "/1-firma.key -out " + scratch + "/firma.csr"),
              0);
    std::ofstream(scratch + "/firma.ext")
        << "keyUsage=critical,digitalSignature,nonRepudiation\nsubjectKeyIdentifier=hash\n";
    ASSERT_EQ(runQuietly("openssl x509 -req -in " + scratch + "/firma.csr -CA " + scratch +
                         "/ca.pem -CAkey " + scratch +
                         "/ca.key -CAcreateserial -days 10 -extfile " + scratch +
                         "/firma.ext -out " + my + "/1-firma.pem"),
              0);
    std::filesystem::permissions(my + "/1-firma.key", std::filesystem::perms::owner_read |
                                                          std::filesystem::perms::owner_write);
}

void rememberOrigin(const std::string& scratch, const std::string& origin) {
    std::filesystem::create_directories(scratch + "/home/bridge");
    std::ofstream(scratch + "/home/bridge/origins") << origin << "\n";
}

json resultOf(BridgeProcess& bridge, json request) {
    json reply = bridge.request(std::move(request));
    EXPECT_TRUE(reply.contains("result")) << reply.dump();
    return reply.value("result", json());
}

json callOn(BridgeProcess& bridge, const json& object, const std::string& name, json args) {
    return bridge.request(
        {{"op", "call"}, {"handle", object.at("$obj")}, {"name", name}, {"args", args}});
}

json firstCertificate(BridgeProcess& bridge, const json& system) {
    json store = callOn(bridge, system, "openSystemStore", {"MY", 2})["result"];
    json certs = callOn(bridge, store, "getCertificates")["result"];
    json cert = callOn(bridge, certs, "getCertificate", {0})["result"];
    EXPECT_TRUE(cert.contains("$obj")) << cert.dump();
    return cert;
}

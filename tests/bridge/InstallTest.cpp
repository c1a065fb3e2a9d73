// qnbridge install / uninstall into a scratch home and into one Chromium profile.

#include "BridgeProcess.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

using nlohmann::json;
namespace fs = std::filesystem;

json readJson(const std::string& path) {
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return json::parse(s.str());
}

int bridge(const std::string& home, const std::string& arguments) {
    return std::system(
        ("HOME='" + home + "' '" QNBRIDGE_PATH "' " + arguments + " >/dev/null").c_str());
}

std::string hostPath() {
    return fs::canonical(QNBRIDGE_PATH).string();
}

void expectChromium(const std::string& path) {
    ASSERT_TRUE(fs::exists(path)) << path;
    json m = readJson(path);
    EXPECT_EQ(m["name"], "org.quillion.bridge");
    EXPECT_TRUE(m["description"].is_string());
    EXPECT_EQ(m["path"], hostPath());
    EXPECT_EQ(m["type"], "stdio");
    EXPECT_EQ(m["allowed_origins"],
              json::array({"chrome-extension://ghjldjcackikbmlbkicbcfpnccpnmjah/"}));
    EXPECT_FALSE(m.contains("allowed_extensions"));
}

class InstallTest : public ::testing::Test {
protected:
    void SetUp() override { scratch = makeScratch(); }
    void TearDown() override { fs::remove_all(scratch); }
    std::string scratch;
};

TEST_F(InstallTest, ThreeBrowsersAndBackToNothing) {
    const std::string home = scratch + "/home";
    ASSERT_EQ(bridge(home, "install"), 0);
    expectChromium(home + "/.config/chromium/NativeMessagingHosts/org.quillion.bridge.json");
    expectChromium(home + "/.config/google-chrome/NativeMessagingHosts/org.quillion.bridge.json");
    json firefox = readJson(home + "/.mozilla/native-messaging-hosts/org.quillion.bridge.json");
    EXPECT_EQ(firefox["name"], "org.quillion.bridge");
    EXPECT_EQ(firefox["path"], hostPath());
    EXPECT_EQ(firefox["type"], "stdio");
    EXPECT_EQ(firefox["allowed_extensions"], json::array({"quillion2@quillion.org"}));
    // Installing again replaces, leaving no stray files.
    ASSERT_EQ(bridge(home, "install"), 0);
    std::size_t files = 0;
    for (const auto& entry : fs::recursive_directory_iterator(home)) {
        files += entry.is_regular_file() ? 1 : 0;
    }
    EXPECT_EQ(files, 3u);

    ASSERT_EQ(bridge(home, "uninstall"), 0);
    EXPECT_FALSE(fs::exists(home + "/.config/chromium"));
    EXPECT_FALSE(fs::exists(home + "/.config/google-chrome"));
    EXPECT_FALSE(fs::exists(home + "/.mozilla"));
    for (const auto& entry : fs::recursive_directory_iterator(home)) {
        EXPECT_FALSE(entry.is_regular_file()) << entry.path();
    }
}

TEST_F(InstallTest, UninstallKeepsWhatIsNotOurs) {
    const std::string home = scratch + "/home";
    fs::create_directories(home + "/.config/chromium/NativeMessagingHosts");
    std::ofstream(home + "/.config/chromium/NativeMessagingHosts/other.json") << "{}";
    ASSERT_EQ(bridge(home, "install"), 0);
    ASSERT_EQ(bridge(home, "uninstall"), 0);
    EXPECT_TRUE(fs::exists(home + "/.config/chromium/NativeMessagingHosts/other.json"));
    EXPECT_FALSE(
        fs::exists(home + "/.config/chromium/NativeMessagingHosts/org.quillion.bridge.json"));
}

TEST_F(InstallTest, OneChromiumProfileOnly) {
    const std::string home = scratch + "/home";
    const std::string profile = scratch + "/profile";
    ASSERT_EQ(bridge(home, "install --chromium-profile '" + profile + "'"), 0);
    expectChromium(profile + "/NativeMessagingHosts/org.quillion.bridge.json");
    EXPECT_FALSE(fs::exists(home + "/.config"));
    EXPECT_FALSE(fs::exists(home + "/.mozilla"));
    ASSERT_EQ(bridge(home, "uninstall --chromium-profile '" + profile + "'"), 0);
    EXPECT_FALSE(fs::exists(profile + "/NativeMessagingHosts"));
}

TEST_F(InstallTest, StrangersAreNotServed) {
    // Without the extension's origin as its caller, qnbridge refuses to start.
    EXPECT_NE(std::system("'" QNBRIDGE_PATH "' </dev/null >/dev/null 2>&1"), 0);
    EXPECT_NE(
        std::system("'" QNBRIDGE_PATH "' chrome-extension://abcdefgh/ </dev/null >/dev/null 2>&1"),
        0);
}

} // namespace

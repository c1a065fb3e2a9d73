#include <string>
#include <vector>

#include "TestEnvironment.h"
#include "com/Com.h"
#include "component/content/QNContent.h"
#include "component/module/Module.h"
#include "component/module/SettingsTable.h"
#include "stream/Log.h"
#include "stream/LogLevel.h"

using component::module::Module;
using component::module::SettingsTable;

namespace {

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> result;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find("\r\n", start);
        if (end == std::string::npos) {
            result.push_back(text.substr(start));
            break;
        }
        result.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return result;
}

bool hasLineEnding(const std::vector<std::string>& all, const std::string& suffix) {
    for (const std::string& line : all) {
        if (line.size() >= suffix.size() &&
            line.compare(line.size() - suffix.size(), suffix.size(), suffix) == 0) {
            return true;
        }
    }
    return false;
}

class ModuleLoad : public TestEnvironment {
protected:
    void TearDown() override {
        Module::detach();
        TestEnvironment::TearDown();
    }
};

} // namespace

TEST_F(ModuleLoad, WithoutPropertiesFileLogsEverythingInTheTemporaryDirectory) {
    Module::attach("/opt/quillion/libquillion2.so");
    stream::Log::instance().flush();
    std::vector<std::string> log = lines(read("QuillionCOM.log"));
    ASSERT_GE(log.size(), 5u);
    EXPECT_EQ(log[0].rfind("#Software: libquillion2.so v", 0), 0u) << log[0];
    EXPECT_EQ(log[1].rfind("#Date: ", 0), 0u);
    EXPECT_EQ(log[2].rfind("#OS: ", 0), 0u);
    EXPECT_EQ(log[3].rfind("#IE: ", 0), 0u);
    // Level 15 has no tag: date, time, two spaces.
    EXPECT_TRUE(hasLineEnding(log, "  LogLevel: 15")) << log[4];
    EXPECT_TRUE(SettingsTable::instance().names().empty());
}

TEST_F(ModuleLoad, LogLevelNoneLeavesOnlyTheHeaderAndFooter) {
    write("QuillionCOM.properties", "LogLevel=LOG_NONE\n");
    Module::attach("/opt/quillion/libquillion2.so");
    {
        component::content::CContent content; // would log its construction at TRACE
    }
    Module::detach();
    std::vector<std::string> log = lines(read("QuillionCOM.log"));
    ASSERT_EQ(log.size(), 5u);
    EXPECT_EQ(log[3].rfind("#IE: ", 0), 0u);
    EXPECT_EQ(log[4].rfind("#End-Date: ", 0), 0u);
    // The properties themselves are settings too.
    Module::attach("/opt/quillion/libquillion2.so");
    EXPECT_EQ(SettingsTable::instance().get("LogLevel"), "LOG_NONE");
}

TEST_F(ModuleLoad, LogPathAndLevelComeFromThePropertiesFile) {
    write("QuillionCOM.properties", "# comment\n  LogPath = " + path("other.log") +
                                        "\r\nLogLevel=LOG_ALL|~LOG_TRACE\nCustom=a=b\n");
    Module::attach("/m/libquillion2.so");
    {
        component::content::CContent content; // TRACE: filtered out
    }
    stream::Log::instance().flush();
    EXPECT_FALSE(std::filesystem::exists(path("QuillionCOM.log")));
    std::vector<std::string> log = lines(read("other.log"));
    EXPECT_TRUE(hasLineEnding(log, "  LogLevel: 7"));
    EXPECT_FALSE(hasLineEnding(log, "CContent::CContent: 0")); // no TRACE line at all
    for (const std::string& line : log) {
        EXPECT_EQ(line.find("TRACE:"), std::string::npos) << line;
    }
    EXPECT_EQ(SettingsTable::instance().get("Custom"), "a=b");
    EXPECT_EQ(SettingsTable::instance().get("LogPath"), path("other.log"));
}

TEST_F(ModuleLoad, UnknownLevelWordDisablesLogging) {
    write("QuillionCOM.properties", "LogLevel=LOG_ERROR|LOG_BOGUS\n");
    Module::attach("/m/libquillion2.so");
    stream::Log::instance().log(stream::LOG_ERROR, "should not appear");
    Module::detach();
    std::string log = read("QuillionCOM.log");
    EXPECT_EQ(log.find("should not appear"), std::string::npos);
    EXPECT_EQ(log.find("LogLevel:"), std::string::npos);
    EXPECT_NE(log.find("#End-Date: "), std::string::npos);
}

TEST_F(ModuleLoad, MalformedSocketLogPathStillLoads) {
    write("QuillionCOM.properties", "LogPath=SOCKET://host\nHashAlgorithm=1.3.14.3.2.26\n");
    Module::attach("/m/libquillion2.so");
    EXPECT_EQ(SettingsTable::instance().get("HashAlgorithm"), "1.3.14.3.2.26");
}

TEST_F(ModuleLoad, HashAlgorithmFromThePropertiesFileReachesGetHash) {
    write("QuillionCOM.properties", "HashAlgorithm=1.3.14.3.2.26\n");
    Module::attach("/m/libquillion2.so");
    com::ComPtr<component::content::QNContent> content = component::content::QNContent::create();
    content->content().replace(std::string_view("abc"));
    com::BStr hash;
    ASSERT_EQ(content->getHash(hash.out()), S_OK);
    EXPECT_EQ(hash.utf8(), "a9993e364706816aba3e25717850c26c9cd0d89d");
}

TEST_F(ModuleLoad, DetachEmptiesTheSettingsAndWritesTheFooter) {
    Module::attach("/m/libquillion2.so");
    SettingsTable::instance().set("Xades", "TRUE");
    Module::detach();
    EXPECT_EQ(SettingsTable::instance().get("Xades"), "");
    EXPECT_NE(read("QuillionCOM.log").find("#End-Date: "), std::string::npos);
    Module::attach("/m/libquillion2.so"); // a new load starts a new log
    stream::Log::instance().flush();
    EXPECT_EQ(read("QuillionCOM.log").find("#End-Date: "), std::string::npos);
}

TEST(SettingsTableTest, GetNeverInserts) {
    SettingsTable& table = SettingsTable::instance();
    table.clear();
    EXPECT_EQ(table.get("Absent"), "");
    EXPECT_FALSE(table.contains("Absent"));
    table.set("Name", "1");
    table.set("Name", "2");
    table.set("name", "3"); // names are case-sensitive
    EXPECT_EQ(table.get("Name"), "2");
    EXPECT_EQ(table.names(), (std::vector<std::string>{"Name", "name"}));
    table.clear();
}

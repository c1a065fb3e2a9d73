#include "stream/Properties.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include "TestDir.h"
#include "stream/FileInputStream.h"
#include "stream/LogLevel.h"
#include "stream/exceptions/FileStreamException.h"

using stream::Properties;

TEST(Properties, ParsesKeysValuesCommentsAndBlanks) {
    Properties properties;
    properties.load(std::string_view("LogPath=C:\\temp\\sign.log\r\n"
                                     "LogLevel = LOG_INFO\n"
                                     "#LogLevel=LOG_NONE\n"
                                     " \t#LogLevel=LOG_NONE\n"
                                     "\n"
                                     "no equals sign\n"
                                     "key=a=b\n"
                                     "\tspaced\t=\t value with  inner  blanks \t\r\n"
                                     "empty=\n"
                                     "=nokey\n"
                                     "Case=1\n"
                                     "case=2\n"
                                     "dup=first\n"
                                     "dup=second\n"
                                     "cr\r=in\rside\n"
                                     "last=no line feed"));
    EXPECT_EQ(properties.getProperty("LogPath", ""), "C:\\temp\\sign.log");
    EXPECT_EQ(properties.getProperty("LogLevel", ""), "LOG_INFO");
    EXPECT_EQ(properties.getProperty("key", ""), "a=b");
    EXPECT_EQ(properties.getProperty("spaced", ""), "value with  inner  blanks");
    EXPECT_EQ(properties.getProperty("empty", "default"), "");
    EXPECT_EQ(properties.getProperty("", "default"), "nokey");
    EXPECT_EQ(properties.getProperty("Case", ""), "1");
    EXPECT_EQ(properties.getProperty("case", ""), "2");
    EXPECT_EQ(properties.getProperty("dup", ""), "second");
    EXPECT_EQ(properties.getProperty("cr", ""), "inside");
    EXPECT_EQ(properties.getProperty("last", ""), "no line feed");
    EXPECT_EQ(properties.getProperty("missing", "fallback"), "fallback");
    EXPECT_FALSE(properties.contains("#LogLevel"));
    EXPECT_EQ(properties.propertyNames(),
              (std::vector<std::string>{"", "Case", "LogLevel", "LogPath", "case", "cr", "dup",
                                        "empty", "key", "last", "spaced"}));
}

TEST(Properties, NamesAreInByteOrder) {
    Properties properties;
    properties.load(std::string_view("\xC3\xB1=1\nz=2\nA=3\n"));
    EXPECT_EQ(properties.propertyNames(), (std::vector<std::string>{"A", "z", "\xC3\xB1"}));
}

TEST(Properties, LoadsFromAFileAndReportsAMissingOne) {
    TestDir dir;
    std::string path = dir.file("QuillionCOM.properties");
    TestDir::write(path, "LogLevel=LOG_ALL\nHashAlgorithm=2.16.840.1.101.3.4.2.1\n");
    Properties properties;
    stream::FileInputStream input(path);
    properties.load(input);
    EXPECT_EQ(properties.getProperty("HashAlgorithm", ""), "2.16.840.1.101.3.4.2.1");

    try {
        Properties().loadFile(dir.file("absent.properties"));
        FAIL() << "no exception";
    } catch (const stream::exceptions::FileStreamException& e) {
        EXPECT_EQ(std::string(e.what()),
                  "Can't open file " + dir.file("absent.properties") + " for read");
    }
}

TEST(Properties, RefusesFilesOthersCouldHavePlanted) {
    TestDir dir;
    std::string path = dir.file("QuillionCOM.properties");
    TestDir::write(path, "LogPath=/home/someone/.profile\n");

    ASSERT_EQ(chmod(path.c_str(), 0666), 0); // writable by every user
    EXPECT_THROW(Properties().loadFile(path), stream::exceptions::FileStreamException);
    ASSERT_EQ(chmod(path.c_str(), 0644), 0);
    Properties fine;
    fine.loadFile(path);
    EXPECT_EQ(fine.getProperty("LogPath", ""), "/home/someone/.profile");

    if (geteuid() == 0) { // only root can give a file away
        ASSERT_EQ(chown(path.c_str(), 65534, 65534), 0);
        EXPECT_THROW(Properties().loadFile(path), stream::exceptions::FileStreamException);
    }

    // A FIFO is refused at once instead of blocking the load.
    std::string fifo = dir.file("fifo.properties");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_THROW(Properties().loadFile(fifo), stream::exceptions::FileStreamException);
}

TEST(LevelExpression, Examples) {
    using stream::parseLevel;
    EXPECT_EQ(parseLevel("LOG_ALL|~LOG_TRACE"), 7u);
    EXPECT_EQ(parseLevel("log_error | log_info"), 5u);
    EXPECT_EQ(parseLevel("~LOG_INFO|LOG_ERROR"), 1u);
    EXPECT_EQ(parseLevel("LOG_ERROR|LOG_BOGUS"), 0u);
    EXPECT_EQ(parseLevel("LOG_ERROR|"), 0u);
    EXPECT_EQ(parseLevel(""), 0u);
    EXPECT_EQ(parseLevel("LOG_TRACE|LOG_NONE"), 0u);
    EXPECT_EQ(parseLevel("LOG_ERROR | LOG_WARNING"), 3u);
    EXPECT_EQ(parseLevel("\tLOG_ALL\t|\t~ LOG_INFO ~ | ~~LOG_TRACE"), 3u);
    EXPECT_EQ(parseLevel("Log_Warning"), 2u);
    EXPECT_EQ(parseLevel("LOG_ALL|~LOG_ALL|LOG_INFO"), 4u);
    EXPECT_EQ(parseLevel("LOG_ALL|~LOG_BOGUS"), 0u);
    EXPECT_EQ(parseLevel("LOG_ERRORx"), 0u);
}

TEST(LevelExpression, Tags) {
    EXPECT_EQ(stream::levelTag(stream::LOG_ERROR), "ERROR:");
    EXPECT_EQ(stream::levelTag(stream::LOG_WARNING), "WARNING:");
    EXPECT_EQ(stream::levelTag(stream::LOG_INFO), "INFO:");
    EXPECT_EQ(stream::levelTag(stream::LOG_TRACE), "TRACE:");
    EXPECT_EQ(stream::levelTag(stream::LOG_ALL), "");
}

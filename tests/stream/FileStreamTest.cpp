#include <gtest/gtest.h>

#include <sys/stat.h>

#include "TestDir.h"
#include "stream/FileInputStream.h"
#include "stream/FileOutputStream.h"
#include "stream/WholeFile.h"
#include "stream/exceptions/FileStreamException.h"

using namespace stream;

TEST(FileStreams, InputReadsSeeksAndReportsTheEnd) {
    TestDir dir;
    std::string path = dir.file("in.bin");
    TestDir::write(path, std::string("ab\0cd", 5));
    FileInputStream input(path);
    EXPECT_EQ(input.size(), 5u);
    EXPECT_EQ(input.read(), 'a');
    unsigned char buffer[10];
    EXPECT_EQ(input.read(buffer, 10), 4u);
    EXPECT_EQ(buffer[1], 0);
    EXPECT_EQ(input.read(), -1);
    input.seek(3);
    EXPECT_EQ(input.tell(), 3u);
    EXPECT_EQ(input.read(), 'c');
    input.close();
    EXPECT_FALSE(input.isOpen());
    EXPECT_THROW(input.read(), exceptions::FileStreamException);
}

TEST(FileStreams, MissingFilesAndDirectoriesRaiseTheOpenMessages) {
    TestDir dir;
    std::string missing = dir.file("missing.txt");
    try {
        FileInputStream input(missing);
        FAIL() << "no exception";
    } catch (const exceptions::FileStreamException& e) {
        EXPECT_EQ(std::string(e.what()), "Can't open file " + missing + " for read");
        EXPECT_EQ(e.code(), -1);
    }
    EXPECT_THROW(FileInputStream input(dir.path()), exceptions::FileStreamException);
    std::string unwritable = dir.file("no/such/dir/out.txt");
    try {
        FileOutputStream output(unwritable);
        FAIL() << "no exception";
    } catch (const exceptions::FileStreamException& e) {
        EXPECT_EQ(std::string(e.what()), "Can't open file " + unwritable + " for write");
    }
}

TEST(FileStreams, AFifoWithoutWriterDoesNotBlock) {
    TestDir dir;
    std::string fifo = dir.file("pipe");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    FileInputStream input(fifo);
    unsigned char buffer[4];
    EXPECT_EQ(input.read(buffer, sizeof buffer), 0u);
}

TEST(FileStreams, AFifoWithoutReaderFailsAtOnceForOutput) {
    TestDir dir;
    std::string fifo = dir.file("pipe");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_THROW(FileOutputStream output(fifo), exceptions::FileStreamException);
}

TEST(FileStreams, OutputTruncatesAndWrites) {
    TestDir dir;
    std::string path = dir.file("out.bin");
    TestDir::write(path, "previous content that is longer");
    {
        FileOutputStream output(path);
        output.write(std::string_view("text "));
        const unsigned char raw[] = {0, 1, 2};
        output.write(raw, 3);
        output.flush();
        output.close();
        EXPECT_FALSE(output.isOpen());
        EXPECT_THROW(output.write(std::string_view("x")), exceptions::FileStreamException);
    }
    EXPECT_EQ(TestDir::read(path), std::string("text \0\1\2", 8));
}

TEST(FileStreams, WholeFileRoundTripsAndAllocatesExactly) {
    TestDir dir;
    std::string path = dir.file("whole.bin");
    std::string content;
    for (int i = 0; i < 100003; ++i) {
        content.push_back(static_cast<char>(i * 7));
    }
    writeWholeFile(path, ByteBuffer(std::string_view(content)));
    ByteBuffer loaded = readWholeFile(path);
    EXPECT_EQ(loaded.size(), content.size());
    EXPECT_EQ(loaded.capacity(), content.size()); // one allocation of the file's size
    EXPECT_EQ(loaded.toString(), content);

    std::string empty = dir.file("empty.bin");
    TestDir::write(empty, "");
    ByteBuffer none = readWholeFile(empty);
    EXPECT_EQ(none.size(), 0u);

    EXPECT_THROW(readWholeFile(dir.file("absent")), exceptions::FileStreamException);
    EXPECT_THROW(writeWholeFile(dir.file("x/y"), ByteBuffer()), exceptions::FileStreamException);
}

TEST(FileStreams, WholeFilesAreRegularFilesReadToTheirEnd) {
    TestDir dir;
    // A /proc file reports a size of 0; its content is still read whole.
    ByteBuffer status = readWholeFile("/proc/self/status");
    EXPECT_EQ(status.view().substr(0, 5), "Name:");
    EXPECT_NE(status.view().find("\nPid:"), std::string_view::npos);
    // A FIFO (nobody writing), a device and a directory are no file content.
    std::string fifo = dir.file("fifo");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_THROW(readWholeFile(fifo), exceptions::FileStreamException);
    EXPECT_THROW(readWholeFile("/dev/zero"), exceptions::FileStreamException);
    EXPECT_THROW(readWholeFile(dir.path()), exceptions::FileStreamException);
    // A NUL would cut the path to another file: refused for reading and for writing.
    TestDir::write(dir.file("a.txt"), "a");
    EXPECT_THROW(readWholeFile(dir.file("a.txt") + std::string("\0.pdf", 5)),
                 exceptions::FileStreamException);
    EXPECT_THROW(writeWholeFile(dir.file("b.txt") + std::string("\0/../x", 7), ByteBuffer()),
                 exceptions::FileStreamException);
    EXPECT_NE(access(dir.file("b.txt").c_str(), F_OK), 0);
}

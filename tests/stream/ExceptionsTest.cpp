#include <gtest/gtest.h>

#include <cerrno>
#include <netdb.h>
#include <thread>

#include "stream/System.h"
#include "stream/SystemMessage.h"
#include "stream/exceptions/ArrayBoundsException.h"
#include "stream/exceptions/CryptException.h"
#include "stream/exceptions/FileStreamException.h"
#include "stream/exceptions/LogException.h"
#include "stream/exceptions/SocketStreamException.h"
#include "stream/exceptions/Win32ErrorException.h"

using namespace stream::exceptions;
using stream::System;
using stream::SystemMessage;

TEST(Exceptions, MessagesAndCodes) {
    StreamException base("text");
    EXPECT_STREQ(base.what(), "text");
    EXPECT_EQ(base.code(), -1);
    EXPECT_EQ(StreamException("x", 5).code(), 5);

    EXPECT_STREQ(FileStreamException::cannotRead("/a b").what(), "Can't open file /a b for read");
    EXPECT_STREQ(FileStreamException::cannotWrite("c.txt").what(),
                 "Can't open file c.txt for write");
    EXPECT_EQ(FileStreamException::cannotRead("x").code(), -1);

    LogException log("Invalid log socket format 1");
    EXPECT_STREQ(log.what(), "Invalid log socket format 1");
    EXPECT_EQ(log.code(), -1);

    // Every kind is caught as the base.
    EXPECT_THROW(throw ArrayBoundsException(3, 2), StreamException);
    EXPECT_THROW(throw CryptException("f.cpp", 1, 5), Win32ErrorException);
    EXPECT_THROW(throw CryptException("f.cpp", 1, 5), std::exception);
}

TEST(Exceptions, Win32ErrorMessageUsesTheLastErrorAndTheFileName) {
    System::setLastError(5);
    Win32ErrorException fromLast("C:\\build\\src\\System.cpp", 120);
    EXPECT_EQ(fromLast.errorCode(), 5u);
    EXPECT_EQ(fromLast.code(), 5);
    EXPECT_STREQ(fromLast.what(),
                 "Win32 error. Code: 5 Description: Access is denied.\r\n@System.cpp(120)");

    Win32ErrorException explicitCode("/work/src/platform/crypt/Hash.cpp", 7, 0x80090006);
    EXPECT_STREQ(explicitCode.what(), "Win32 error. Code: 2148073478 Description: Invalid "
                                      "Signature.\r\n@Hash.cpp(7)");
    EXPECT_EQ(explicitCode.description(), "Invalid Signature.\r\n");
    EXPECT_EQ(explicitCode.sourceFileName(), "Hash.cpp");
    EXPECT_EQ(explicitCode.line(), 7);

    // A code not in the table gives an empty description.
    Win32ErrorException unknown("plain.cpp", 1, 0x12345678);
    EXPECT_STREQ(unknown.what(), "Win32 error. Code: 305419896 Description: @plain.cpp(1)");

    System::setLastError(0x8009310B);
    CryptException crypt("a/b\\Sign.cpp", 33);
    EXPECT_STREQ(
        crypt.what(),
        "Win32 error. Code: 2148086027 Description: ASN1 bad tag value met.\r\n@Sign.cpp(33)");
}

TEST(Exceptions, LastErrorIsPerThread) {
    System::setLastError(13);
    uint32_t seenInOtherThread = 99;
    std::thread other([&] {
        seenInOtherThread = System::lastError();
        System::setLastError(1223);
    });
    other.join();
    EXPECT_EQ(seenInOtherThread, 0u);
    EXPECT_EQ(System::lastError(), 13u);
}

TEST(Exceptions, SystemMessageTable) {
    EXPECT_EQ(SystemMessage::text(0), "The operation completed successfully.\r\n");
    EXPECT_EQ(SystemMessage::text(2), "The system cannot find the file specified.\r\n");
    EXPECT_EQ(SystemMessage::text(13), "The data is invalid.\r\n");
    EXPECT_EQ(SystemMessage::text(234), "More data is available.\r\n");
    EXPECT_EQ(SystemMessage::text(1223), "The operation was canceled by the user.\r\n");
    EXPECT_EQ(SystemMessage::text(0x80004005), "Unspecified error\r\n");
    EXPECT_EQ(SystemMessage::text(0x80092004), "Cannot find object or property.\r\n");
    EXPECT_EQ(SystemMessage::text(10061),
              "No connection could be made because the target machine actively refused it.\r\n");
    // A Windows error carried as HRESULT takes the row of the error.
    EXPECT_EQ(SystemMessage::text(0x80070002), SystemMessage::text(2));
    EXPECT_EQ(SystemMessage::text(0x80070057), "The parameter is incorrect.\r\n");
    EXPECT_EQ(SystemMessage::text(0x0BADC0DE), "");
    EXPECT_EQ(SystemMessage::text(0x8007FFFF), "");
    // Every row ends the way FormatMessage ends a system message.
    for (uint32_t code :
         {0u,          3u,          87u,         122u,        1813u,       0x80004001u, 0x80004002u,
          0x80004003u, 0x8007000Eu, 0x80020009u, 0x80040110u, 0x80040111u, 0x80090005u, 0x80090008u,
          0x80090009u, 0x8009000Du, 0x80090016u, 0x80090020u, 0x80091004u, 0x80091007u, 0x8009200Eu,
          0x80096004u, 0x800B0101u, 0x800B0109u, 0x800B010Au, 0x80880210u, 0x80880902u, 11001u}) {
        std::string text = SystemMessage::text(code);
        ASSERT_GE(text.size(), 3u) << code;
        EXPECT_EQ(text.substr(text.size() - 2), "\r\n") << code;
    }
}

TEST(Exceptions, SocketErrorsUseWindowsSocketsCodes) {
    SocketStreamException refused = SocketStreamException::fromErrno(ECONNREFUSED);
    EXPECT_EQ(refused.code(), 10061);
    EXPECT_EQ(refused.message(), SystemMessage::text(10061));
    EXPECT_EQ(SocketStreamException::fromErrno(ETIMEDOUT).code(), 10060);
    EXPECT_EQ(SocketStreamException::fromResolver(EAI_NONAME).code(), 11001);
    EXPECT_EQ(SocketStreamException::fromResolver(EAI_NONAME).message(),
              "No such host is known.\r\n");
    // An errno without a Windows Sockets counterpart keeps its value and the C library text.
    SocketStreamException other = SocketStreamException::fromErrno(ENOENT);
    EXPECT_EQ(other.code(), ENOENT);
    EXPECT_FALSE(other.message().empty());
}

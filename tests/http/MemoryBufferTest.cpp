#include <gtest/gtest.h>

#include <string>

#include "platform/http/MemoryBuffer.h"

using platform::http::MemoryBuffer;

TEST(MemoryBuffer, StartsAt2048BytesAndDoubles) {
    MemoryBuffer buffer;
    EXPECT_EQ(buffer.capacity(), 0u);
    std::string piece(1000, 'x');
    ASSERT_TRUE(buffer.Write(piece.data(), piece.size()));
    EXPECT_EQ(buffer.capacity(), 2048u);
    ASSERT_TRUE(buffer.Write(piece.data(), piece.size()));
    EXPECT_EQ(buffer.capacity(), 2048u);
    ASSERT_TRUE(buffer.Write(piece.data(), piece.size())); // 3000 bytes
    EXPECT_EQ(buffer.capacity(), 4096u);
    std::string big(20000, 'y'); // 23000 bytes: 4096 doubles to 32768
    ASSERT_TRUE(buffer.Write(big.data(), big.size()));
    EXPECT_EQ(buffer.capacity(), 32768u);
    size_t length = 0;
    const unsigned char* bytes = buffer.Read(length);
    ASSERT_EQ(length, 23000u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes), length),
              piece + piece + piece + big);
}

TEST(MemoryBuffer, AWriteThatWouldPassTheLimitIsRefusedWhole) {
    MemoryBuffer buffer(5000);
    std::string piece(3000, 'a');
    ASSERT_TRUE(buffer.Write(piece.data(), piece.size()));
    EXPECT_FALSE(buffer.Write(piece.data(), piece.size()));
    EXPECT_EQ(buffer.size(), 3000u);
    ASSERT_TRUE(buffer.Write(piece.data(), 2000)); // exactly the limit
    EXPECT_EQ(buffer.size(), 5000u);
    EXPECT_LE(buffer.capacity(), 5000u); // growth stops at the limit
    EXPECT_FALSE(buffer.Write("b", 1));
    EXPECT_FALSE(buffer.Write("b", SIZE_MAX));
}

TEST(MemoryBuffer, EmptyTruncateAndTake) {
    MemoryBuffer buffer;
    size_t length = 7;
    EXPECT_EQ(buffer.Read(length), nullptr);
    EXPECT_EQ(length, 0u);
    ASSERT_TRUE(buffer.Write("abcdef", 6));
    buffer.truncate(10);
    EXPECT_EQ(buffer.view(), "abcdef");
    buffer.truncate(3);
    EXPECT_EQ(buffer.view(), "abc");
    auto taken = buffer.take();
    EXPECT_EQ(taken.view(), "abc");
    EXPECT_TRUE(buffer.empty());
    EXPECT_EQ(buffer.capacity(), 0u);
}

#include "stream/ByteBuffer.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include <gtest/gtest.h>

#include "stream/exceptions/ArrayBoundsException.h"

using stream::ByteBuffer;

namespace {
const unsigned char* bytes(const char* text) {
    return reinterpret_cast<const unsigned char*>(text);
}
} // namespace

TEST(ByteBuffer, ReserveRoundsToPages) {
    ByteBuffer buffer;
    EXPECT_EQ(buffer.capacity(), 0u);
    buffer.reserve(1);
    EXPECT_EQ(buffer.capacity(), 4096u);
    buffer.reserve(4096);
    EXPECT_EQ(buffer.capacity(), 4096u);
    buffer.reserve(4097);
    EXPECT_EQ(buffer.capacity(), 8192u);
    buffer.reserve(100); // never shrinks
    EXPECT_EQ(buffer.capacity(), 8192u);
    ByteBuffer exact;
    exact.reserveExact(10);
    EXPECT_EQ(exact.capacity(), 10u);
}

TEST(ByteBuffer, AppendKeepsBytesAndGrowsGeometrically) {
    ByteBuffer buffer;
    buffer.append(bytes("abc"), 3);
    buffer.append(std::string_view("de"));
    EXPECT_EQ(buffer.toString(), "abcde");
    EXPECT_EQ(buffer.size(), 5u);

    // A million one-byte appends: the capacity at least doubles each time it grows, so the
    // storage is reallocated only a few dozen times.
    ByteBuffer many;
    size_t growths = 0;
    size_t lastCapacity = 0;
    for (int i = 0; i < 1000000; ++i) {
        unsigned char b = static_cast<unsigned char>(i);
        many.append(&b, 1);
        if (many.capacity() != lastCapacity) {
            if (lastCapacity != 0) {
                EXPECT_GE(many.capacity(), lastCapacity * 2);
            }
            EXPECT_EQ(many.capacity() % 4096, 0u);
            lastCapacity = many.capacity();
            ++growths;
        }
    }
    EXPECT_LT(growths, 20u);
    EXPECT_EQ(many.size(), 1000000u);
    EXPECT_EQ(many.data()[999999], static_cast<unsigned char>(999999));
}

TEST(ByteBuffer, AppendFromItsOwnStorage) {
    ByteBuffer buffer(std::string_view("0123456789"));
    buffer.reserve(10);
    std::string expected = "0123456789";
    for (int i = 0; i < 12; ++i) {
        buffer.append(buffer.data(), buffer.size()); // forces growth while reading itself
        expected += expected;
    }
    EXPECT_EQ(buffer.toString(), expected);
}

TEST(ByteBuffer, AtChecksTheCapacity) {
    ByteBuffer buffer;
    EXPECT_THROW(buffer.at(0), stream::exceptions::ArrayBoundsException);
    buffer.append(std::string_view("x"));
    EXPECT_EQ(buffer.at(0), 'x');
    buffer.at(4095) = 'y'; // inside the capacity
    EXPECT_THROW(buffer.at(4096), stream::exceptions::ArrayBoundsException);
    EXPECT_THROW(buffer.at(static_cast<size_t>(-1)), stream::exceptions::ArrayBoundsException);
    const ByteBuffer& constant = buffer;
    EXPECT_THROW(constant.at(5000), stream::exceptions::ArrayBoundsException);
}

TEST(ByteBuffer, SetSizeGrowsWithZeros) {
    ByteBuffer buffer(std::string_view("ab"));
    buffer.setSize(1);
    EXPECT_EQ(buffer.toString(), "a");
    buffer.setSize(10000);
    EXPECT_EQ(buffer.size(), 10000u);
    EXPECT_EQ(buffer.data()[0], 'a');
    for (size_t i = 1; i < 10000; ++i) {
        ASSERT_EQ(buffer.data()[i], 0) << i;
    }
}

TEST(ByteBuffer, MoveTakeOverAndRelease) {
    ByteBuffer source(std::string_view("payload"));
    const unsigned char* storage = source.data();
    ByteBuffer moved(std::move(source));
    EXPECT_EQ(moved.data(), storage);
    EXPECT_EQ(source.size(), 0u);
    EXPECT_EQ(source.data(), nullptr);

    ByteBuffer taker(std::string_view("old"));
    taker.takeOver(moved);
    EXPECT_EQ(taker.data(), storage);
    EXPECT_EQ(taker.toString(), "payload");
    EXPECT_EQ(moved.data(), nullptr);

    ByteBuffer copy = taker;
    EXPECT_NE(copy.data(), taker.data());
    EXPECT_EQ(copy.toString(), "payload");

    unsigned char* released = taker.release();
    EXPECT_EQ(released, storage);
    EXPECT_EQ(taker.size(), 0u);
    EXPECT_EQ(taker.capacity(), 0u);
    std::free(released);
}

TEST(ByteBuffer, NeverFreesStorageItDoesNotOwn) {
    unsigned char external[8] = {'e', 'x', 't', 0, 0, 0, 0, 0};
    {
        ByteBuffer view;
        view.attach(external, sizeof external, 3, false);
        EXPECT_FALSE(view.owned());
        EXPECT_EQ(view.toString(), "ext");
        view.append(std::string_view("ernal storage")); // grows into owned storage
        EXPECT_TRUE(view.owned());
        EXPECT_EQ(view.toString(), "external storage");
    } // destruction frees only the owned copy (the sanitizer build checks this)
    EXPECT_EQ(external[0], 'e');

    ByteBuffer borrowed;
    borrowed.attach(external, sizeof external, 3, false);
    ByteBuffer taker;
    taker.takeOver(borrowed);
    EXPECT_FALSE(taker.owned());
    EXPECT_EQ(taker.data(), external);
}

TEST(ByteBuffer, PrefaultKeepsTheBytesAndTheSize) {
    ByteBuffer buffer;
    buffer.reserveExact(8u << 20);
    for (size_t i = 0; i < (3u << 20); ++i) {
        buffer.push_back(static_cast<unsigned char>(i * 7));
    }
    buffer.prefault(buffer.capacity() + 4096); // more than the capacity is clamped
    ASSERT_EQ(buffer.size(), 3u << 20);
    for (size_t i = 0; i < buffer.size(); i += 4093) {
        ASSERT_EQ(buffer.data()[i], static_cast<unsigned char>(i * 7)) << i;
    }
    buffer.setSize(8u << 20);
    buffer.data()[(8u << 20) - 1] = 0x5A; // the whole capacity is writable
    EXPECT_EQ(buffer.at((8u << 20) - 1), 0x5A);
}

// Large storage starts on a cache line (copies into it run at full speed); growing it, owned
// or copied from external storage, keeps every byte, and it is still released with free().
TEST(ByteBuffer, LargeStorageIsAlignedAndKeepsItsBytesThroughGrowth) {
    constexpr size_t kLarge = 9u << 20;
    ByteBuffer buffer;
    buffer.reserve(kLarge);
    ASSERT_NE(buffer.data(), nullptr);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(buffer.data()) % 64, 0u);
    for (size_t i = 0; i < kLarge; ++i) {
        buffer.push_back(static_cast<unsigned char>(i % 251));
    }
    buffer.push_back(0xEE); // grows past the first allocation
    ASSERT_EQ(buffer.size(), kLarge + 1);
    for (size_t i = 0; i < kLarge; i += 4099) {
        ASSERT_EQ(buffer.data()[i], static_cast<unsigned char>(i % 251)) << i;
    }
    EXPECT_EQ(buffer.data()[kLarge], 0xEE);

    ByteBuffer copy;
    copy.attach(buffer.data(), buffer.capacity(), buffer.size(), false);
    copy.reserve(buffer.capacity() + 1); // external storage is copied into new storage
    EXPECT_NE(copy.data(), buffer.data());
    EXPECT_EQ(reinterpret_cast<uintptr_t>(copy.data()) % 64, 0u);
    EXPECT_EQ(copy.view(), buffer.view());

    unsigned char* released = copy.release();
    ASSERT_NE(released, nullptr);
    std::free(released);
}

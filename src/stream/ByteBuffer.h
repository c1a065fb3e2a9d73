#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace stream {

// A growable byte buffer. The storage is allocated with std::malloc and freed with std::free;
// a buffer never frees storage it does not own (see attach()).
//
// Growth: reserve(n) rounds n up to the next multiple of 4096. append() grows geometrically
// (at least doubling, rounded to 4096) so that appending piece by piece costs amortised
// linear time.
class ByteBuffer {
public:
    static constexpr size_t kPage = 4096;

    ByteBuffer() noexcept = default;
    explicit ByteBuffer(size_t capacity);
    ByteBuffer(const unsigned char* bytes, size_t n);
    explicit ByteBuffer(std::string_view bytes);
    ~ByteBuffer();

    ByteBuffer(const ByteBuffer& other); // deep copy of the logical content
    ByteBuffer& operator=(const ByteBuffer& other);
    ByteBuffer(ByteBuffer&& other) noexcept;
    ByteBuffer& operator=(ByteBuffer&& other) noexcept;

    unsigned char* data() noexcept { return data_; }
    const unsigned char* data() const noexcept { return data_; }
    size_t size() const noexcept { return size_; }
    size_t capacity() const noexcept { return capacity_; }
    bool empty() const noexcept { return size_ == 0; }
    bool owned() const noexcept { return owned_; }

    // Capacity becomes n rounded up to a multiple of 4096 when n exceeds it; bytes kept.
    void reserve(size_t n);
    // Capacity becomes exactly n when n exceeds it (no rounding); bytes kept.
    void reserveExact(size_t n);
    // Backs the first n bytes of the storage with memory now, in one request, instead of one
    // page fault per page later: worth it for a large buffer about to be filled whole (a file
    // read). Only a hint; a system that cannot do it fills the pages on first touch as usual.
    void prefault(size_t n) noexcept;
    void append(const unsigned char* bytes, size_t n);
    void append(std::string_view bytes);
    void append(const ByteBuffer& other);
    void push_back(unsigned char byte);
    // Sets the logical size; grows the storage (reserve) when n exceeds the capacity. Bytes
    // between the old and the new size are zero when the storage had to grow.
    void setSize(size_t n);
    void clear() noexcept { size_ = 0; }

    // The byte at index i; raises ArrayBoundsException when i is not below the capacity.
    unsigned char& at(size_t i);
    unsigned char at(size_t i) const;

    // Takes over the storage of other (its pointer, capacity, size and ownership); this
    // buffer's own storage is released first. other is left empty.
    void takeOver(ByteBuffer& other) noexcept;
    // Uses external storage; when owned is true it must come from std::malloc and this buffer
    // frees it, otherwise the caller keeps it alive and the buffer copies it on growth.
    void attach(unsigned char* storage, size_t capacity, size_t size, bool owned) noexcept;
    // Hands the storage out (to be freed with std::free when it was owned); the buffer
    // becomes empty. Returns null for a buffer without storage.
    unsigned char* release() noexcept;

    std::string toString() const {
        return std::string(reinterpret_cast<const char*>(data_), size_);
    }
    std::string_view view() const noexcept {
        return std::string_view(reinterpret_cast<const char*>(data_), size_);
    }

private:
    void reallocate(size_t newCapacity);
    void freeStorage() noexcept;

    unsigned char* data_ = nullptr;
    size_t capacity_ = 0;
    size_t size_ = 0;
    bool owned_ = true;
};

} // namespace stream

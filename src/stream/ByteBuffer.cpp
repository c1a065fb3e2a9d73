#include "stream/ByteBuffer.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>

#include "stream/LargeBlock.h"
#include "stream/exceptions/ArrayBoundsException.h"

namespace stream {

namespace {

size_t roundUpToPage(size_t n) {
    size_t remainder = n % ByteBuffer::kPage;
    if (remainder == 0) {
        return n;
    }
    size_t add = ByteBuffer::kPage - remainder;
    if (n > std::numeric_limits<size_t>::max() - add) {
        throw std::bad_alloc();
    }
    return n + add;
}

// Large storage (kLargeBlock and up) starts on a large-page boundary and is backed by large
// pages where the system offers them (adviseLargePages): besides the cheaper faults, copying
// into storage that does not start on a cache line (plain heap blocks start 16 bytes into
// their first page) runs several times slower in the kernel's copy from the page cache.
unsigned char* allocateStorage(size_t n) {
    void* storage = nullptr;
    if (n >= kLargeBlock) {
        if (posix_memalign(&storage, kLargePage, n) != 0) {
            storage = nullptr;
        }
    } else {
        storage = std::malloc(n);
    }
    if (storage == nullptr) {
        throw std::bad_alloc();
    }
    return static_cast<unsigned char*>(storage);
}

size_t checkedSum(size_t a, size_t b) {
    if (a > std::numeric_limits<size_t>::max() - b) {
        throw std::bad_alloc();
    }
    return a + b;
}

} // namespace

ByteBuffer::ByteBuffer(size_t capacity) {
    reserve(capacity);
}

ByteBuffer::ByteBuffer(const unsigned char* bytes, size_t n) {
    append(bytes, n);
}

ByteBuffer::ByteBuffer(std::string_view bytes) {
    append(bytes);
}

ByteBuffer::~ByteBuffer() {
    freeStorage();
}

ByteBuffer::ByteBuffer(const ByteBuffer& other) {
    append(other.data_, other.size_);
}

ByteBuffer& ByteBuffer::operator=(const ByteBuffer& other) {
    if (this != &other) {
        ByteBuffer copy(other);
        takeOver(copy);
    }
    return *this;
}

ByteBuffer::ByteBuffer(ByteBuffer&& other) noexcept {
    takeOver(other);
}

ByteBuffer& ByteBuffer::operator=(ByteBuffer&& other) noexcept {
    if (this != &other) {
        takeOver(other);
    }
    return *this;
}

void ByteBuffer::freeStorage() noexcept {
    if (owned_) {
        std::free(data_);
    }
    data_ = nullptr;
    capacity_ = 0;
    size_ = 0;
    owned_ = true;
}

void ByteBuffer::reallocate(size_t newCapacity) {
    unsigned char* fresh = nullptr;
    if (owned_ && data_ != nullptr) {
        // realloc keeps the bytes and, for large blocks, avoids the copy altogether.
        fresh = static_cast<unsigned char*>(std::realloc(data_, newCapacity));
        if (fresh == nullptr) {
            throw std::bad_alloc();
        }
        // The bytes beyond the old size are still untouched.
        if (newCapacity - size_ >= kLargeBlock) {
            adviseLargePages(fresh + size_, newCapacity - size_);
        }
    } else {
        fresh = allocateStorage(newCapacity);
        if (newCapacity >= kLargeBlock) {
            adviseLargePages(fresh, newCapacity);
        }
        if (size_ > 0) {
            std::memcpy(fresh, data_, size_);
        }
    }
    data_ = fresh;
    capacity_ = newCapacity;
    owned_ = true;
}

void ByteBuffer::reserve(size_t n) {
    if (n > capacity_) {
        reallocate(roundUpToPage(n));
    }
}

void ByteBuffer::reserveExact(size_t n) {
    if (n > capacity_) {
        reallocate(n);
    }
}

void ByteBuffer::prefault(size_t n) noexcept {
    stream::prefault(data_, n < capacity_ ? n : capacity_);
}

void ByteBuffer::append(const unsigned char* bytes, size_t n) {
    if (n == 0) {
        return;
    }
    size_t needed = checkedSum(size_, n);
    if (needed > capacity_) {
        // The source may lie inside this buffer: growing would move it.
        if (data_ != nullptr && bytes >= data_ && bytes < data_ + capacity_) {
            ByteBuffer copy(bytes, n);
            append(copy.data(), n);
            return;
        }
        size_t doubled =
            capacity_ > std::numeric_limits<size_t>::max() / 2 ? needed : capacity_ * 2;
        reserve(doubled > needed ? doubled : needed);
    }
    std::memmove(data_ + size_, bytes, n);
    size_ = needed;
}

void ByteBuffer::append(std::string_view bytes) {
    append(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
}

void ByteBuffer::append(const ByteBuffer& other) {
    append(other.data_, other.size_);
}

void ByteBuffer::push_back(unsigned char byte) {
    append(&byte, 1);
}

void ByteBuffer::setSize(size_t n) {
    if (n > capacity_) {
        reserve(n);
        std::memset(data_ + size_, 0, capacity_ - size_);
    }
    size_ = n;
}

unsigned char& ByteBuffer::at(size_t i) {
    if (i >= capacity_) {
        throw exceptions::ArrayBoundsException(i, capacity_);
    }
    return data_[i];
}

unsigned char ByteBuffer::at(size_t i) const {
    if (i >= capacity_) {
        throw exceptions::ArrayBoundsException(i, capacity_);
    }
    return data_[i];
}

void ByteBuffer::takeOver(ByteBuffer& other) noexcept {
    if (this == &other) {
        return;
    }
    freeStorage();
    data_ = other.data_;
    capacity_ = other.capacity_;
    size_ = other.size_;
    owned_ = other.owned_;
    other.data_ = nullptr;
    other.capacity_ = 0;
    other.size_ = 0;
    other.owned_ = true;
}

void ByteBuffer::attach(unsigned char* storage, size_t capacity, size_t size, bool owned) noexcept {
    freeStorage();
    data_ = storage;
    capacity_ = storage ? capacity : 0;
    size_ = size <= capacity_ ? size : capacity_;
    owned_ = owned;
}

unsigned char* ByteBuffer::release() noexcept {
    unsigned char* storage = data_;
    data_ = nullptr;
    capacity_ = 0;
    size_ = 0;
    owned_ = true;
    return storage;
}

} // namespace stream

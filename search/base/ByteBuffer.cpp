#include "base/ByteBuffer.h"

#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>

ByteBuffer::~ByteBuffer() {
    std::free(data_);
}

ByteBuffer::ByteBuffer(const ByteBuffer& other) {
    append(other.view());
}

ByteBuffer& ByteBuffer::operator=(const ByteBuffer& other) {
    if (this != &other) {
        clear();
        append(other.view());
    }
    return *this;
}

ByteBuffer::ByteBuffer(ByteBuffer&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)), size_(std::exchange(other.size_, 0)),
      capacity_(std::exchange(other.capacity_, 0)) {}

ByteBuffer& ByteBuffer::operator=(ByteBuffer&& other) noexcept {
    if (this != &other) {
        std::free(data_);
        data_ = std::exchange(other.data_, nullptr);
        size_ = std::exchange(other.size_, 0);
        capacity_ = std::exchange(other.capacity_, 0);
    }
    return *this;
}

void ByteBuffer::appendGrowing(std::string_view bytes) {
    // Bytes of this very buffer move with it.
    const bool own = data_ != nullptr && bytes.data() >= data_ && bytes.data() < data_ + size_;
    const std::size_t offset = own ? static_cast<std::size_t>(bytes.data() - data_) : 0;
    grow(size_ + bytes.size());
    if (own)
        bytes = std::string_view(data_ + offset, bytes.size());
    std::memcpy(data_ + size_, bytes.data(), bytes.size());
    size_ += bytes.size();
}

void ByteBuffer::reserve(std::size_t capacity) {
    if (capacity > capacity_) {
        void* const moved = std::realloc(data_, capacity);
        if (moved == nullptr)
            throw std::bad_alloc();
        data_ = static_cast<char*>(moved);
        capacity_ = capacity;
    }
}

void ByteBuffer::shrinkTo(std::size_t size) {
    if (size >= size_)
        return;
    size_ = size;
    if (size == 0) {
        std::free(std::exchange(data_, nullptr));
        capacity_ = 0;
        return;
    }
    // Shrinking in place cannot fail for want of memory; should it, the block stays as it is.
    if (void* const kept = std::realloc(data_, size)) {
        data_ = static_cast<char*>(kept);
        capacity_ = size;
    }
}

// Doubling keeps appends cheap on average; realloc keeps a large block's pages where they are.
void ByteBuffer::grow(std::size_t needed) {
    std::size_t capacity = capacity_ < 64 ? 64 : capacity_;
    while (capacity < needed)
        capacity *= 2;
    reserve(capacity);
}

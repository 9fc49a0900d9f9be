#pragma once

#include <cstddef>
#include <cstring>
#include <string_view>

// Bytes in one block that grows with realloc. A long list then grows without being copied: the C
// library moves a large block by remapping its pages, so no page is written twice and the old and
// the new block never live side by side.
class ByteBuffer final {
public:
    ByteBuffer() = default;
    ~ByteBuffer();
    ByteBuffer(const ByteBuffer& other);
    ByteBuffer& operator=(const ByteBuffer& other);
    ByteBuffer(ByteBuffer&& other) noexcept;
    ByteBuffer& operator=(ByteBuffer&& other) noexcept;

    // Inline, since they run for every entry of a long list; only growing is a call.
    void append(std::string_view bytes) {
        if (capacity_ - size_ < bytes.size()) {
            appendGrowing(bytes);
            return;
        }
        if (!bytes.empty()) // an empty view may have no data at all
            std::memcpy(data_ + size_, bytes.data(), bytes.size());
        size_ += bytes.size();
    }
    void push_back(char byte) {
        if (size_ == capacity_)
            grow(size_ + 1);
        data_[size_++] = byte;
    }
    void clear() { size_ = 0; }
    void reserve(std::size_t capacity);
    // Keeps the first `size` bytes and gives the memory beyond them back.
    void shrinkTo(std::size_t size);

    std::size_t size() const { return size_; }
    std::string_view view() const { return {data_, size_}; }

private:
    void appendGrowing(std::string_view bytes);
    void grow(std::size_t needed);

    char* data_ = nullptr;
    std::size_t size_ = 0;
    std::size_t capacity_ = 0;
};

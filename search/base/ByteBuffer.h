#pragma once

#include <cstddef>
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

    void append(std::string_view bytes);
    void push_back(char byte);
    void clear() { size_ = 0; }
    void reserve(std::size_t capacity);

    std::size_t size() const { return size_; }
    std::string_view view() const { return {data_, size_}; }

private:
    void grow(std::size_t needed);

    char* data_ = nullptr;
    std::size_t size_ = 0;
    std::size_t capacity_ = 0;
};

#pragma once

#include <cstddef>
#include <cstring>
#include <string_view>

// Bytes in one block that grows without its bytes being copied. A small block grows with realloc;
// from a megabyte on the block is a mapping of its own that grows by remapping its pages, so a
// long list is never copied (realloc would copy a block the C library keeps in its heap) and the
// old and the new block never live side by side. The pages of a mapping are made ready a quarter
// megabyte at a time with one system call rather than one fault for each page as it is first
// written.
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
    // Room for `count` more bytes at the end, to be written there and then taken in with
    // commit; any append may move the block.
    char* room(std::size_t count) {
        if (capacity_ - size_ < count)
            grow(size_ + count);
        return data_ + size_;
    }
    // Takes in `count` bytes written to room.
    void commit(std::size_t count) { size_ += count; }
    void clear() { size_ = 0; }
    // Keeps the first `size` bytes and gives the memory beyond them back.
    void shrinkTo(std::size_t size);

    std::size_t size() const { return size_; }
    std::string_view view() const { return {data_, size_}; }

private:
    void appendGrowing(std::string_view bytes);
    void grow(std::size_t needed);
    void remap(std::size_t bytes);
    void makeWritable(std::size_t needed);
    void release() noexcept;

    char* data_ = nullptr;
    std::size_t size_ = 0;
    std::size_t capacity_ = 0; // bytes that may be written without a call
    std::size_t mapped_ = 0;   // bytes of the mapping; 0 for a block of the C library
};

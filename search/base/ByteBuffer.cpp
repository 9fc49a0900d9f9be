#include "base/ByteBuffer.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <sys/mman.h>
#include <unistd.h>
#include <utility>

namespace {

// Blocks of at least this size are mappings of their own.
constexpr std::size_t mappedFrom = std::size_t{1} << 20;
// The pages of a mapping made ready with each call.
constexpr std::size_t readyStep = std::size_t{256} << 10;

std::size_t pageSize() {
    static const std::size_t size = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    return size;
}

std::size_t roundToPages(std::size_t bytes) {
    const std::size_t page = pageSize();
    return (bytes + page - 1) / page * page;
}

// Makes the pages of [begin, begin + bytes) ready for writing in one call. A system without
// MADV_POPULATE_WRITE (Linux before 5.14) refuses it: the pages then come as they are written.
void makeReady(char* begin, std::size_t bytes) {
#ifdef MADV_POPULATE_WRITE
    if (bytes > 0)
        ::madvise(begin, bytes, MADV_POPULATE_WRITE);
#else
    (void)begin;
    (void)bytes;
#endif
}

} // namespace

ByteBuffer::~ByteBuffer() {
    release();
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
      capacity_(std::exchange(other.capacity_, 0)), mapped_(std::exchange(other.mapped_, 0)) {}

ByteBuffer& ByteBuffer::operator=(ByteBuffer&& other) noexcept {
    if (this != &other) {
        release();
        data_ = std::exchange(other.data_, nullptr);
        size_ = std::exchange(other.size_, 0);
        capacity_ = std::exchange(other.capacity_, 0);
        mapped_ = std::exchange(other.mapped_, 0);
    }
    return *this;
}

void ByteBuffer::release() noexcept {
    if (mapped_ > 0)
        ::munmap(data_, mapped_);
    else
        std::free(data_);
    data_ = nullptr;
    capacity_ = 0;
    mapped_ = 0;
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

// Doubling keeps appends cheap on average; a mapping first makes the pages it has ready.
void ByteBuffer::grow(std::size_t needed) {
    if (needed <= mapped_) {
        makeWritable(needed);
        return;
    }
    std::size_t capacity = std::max<std::size_t>(64, mapped_ > 0 ? mapped_ : capacity_);
    while (capacity < needed)
        capacity *= 2;
    if (capacity >= mappedFrom) {
        remap(roundToPages(capacity));
        makeWritable(needed);
        return;
    }
    void* const moved = std::realloc(data_, capacity);
    if (moved == nullptr)
        throw std::bad_alloc();
    data_ = static_cast<char*>(moved);
    capacity_ = capacity;
}

// Moves the bytes into a mapping of `bytes`, or grows the mapping to it.
void ByteBuffer::remap(std::size_t bytes) {
    if (mapped_ > 0) {
        void* const moved = ::mremap(data_, mapped_, bytes, MREMAP_MAYMOVE);
        if (moved == MAP_FAILED)
            throw std::bad_alloc();
        data_ = static_cast<char*>(moved);
        mapped_ = bytes;
        return;
    }
    void* const mapping =
        ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapping == MAP_FAILED)
        throw std::bad_alloc();
    if (size_ > 0)
        std::memcpy(mapping, data_, size_);
    std::free(data_);
    data_ = static_cast<char*>(mapping);
    capacity_ = roundToPages(size_);
    mapped_ = bytes;
}

// Readies the pages of the mapping up to `needed` bytes and a step beyond.
void ByteBuffer::makeWritable(std::size_t needed) {
    const std::size_t writable = std::min(mapped_, roundToPages(needed + readyStep));
    if (writable <= capacity_)
        return;
    makeReady(data_ + capacity_, writable - capacity_);
    capacity_ = writable;
}

void ByteBuffer::shrinkTo(std::size_t size) {
    if (size >= size_)
        return;
    size_ = size;
    if (size == 0) {
        release();
        return;
    }
    if (mapped_ > 0) {
        // A large rest stays mapped, its pages beyond the end given back; a small one moves to
        // a block of the C library. Should memory run out for that, the mapping stays.
        if (size >= mappedFrom) {
            const std::size_t kept = roundToPages(size);
            if (kept < mapped_ && ::mremap(data_, mapped_, kept, 0) != MAP_FAILED) {
                mapped_ = kept;
                capacity_ = std::min(capacity_, kept);
            }
            return;
        }
        if (void* const block = std::malloc(size)) {
            std::memcpy(block, data_, size);
            ::munmap(data_, mapped_);
            data_ = static_cast<char*>(block);
            capacity_ = size;
            mapped_ = 0;
        }
        return;
    }
    // Shrinking in place cannot fail for want of memory; should it, the block stays as it is.
    if (void* const kept = std::realloc(data_, size)) {
        data_ = static_cast<char*>(kept);
        capacity_ = size;
    }
}

#include "output/LineQueue.h"

#include <cstring>
#include <new>
#include <sys/mman.h>
#include <unistd.h>
#include <utility>

namespace {

std::size_t pageBytes() {
    static const auto bytes = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    return bytes;
}

std::size_t wholePages(std::size_t bytes) {
    const std::size_t page = pageBytes();
    return (bytes + page - 1) / page * page;
}

} // namespace

LineQueue::LineQueue(std::size_t blockBytes)
    : blockBytes_(wholePages(blockBytes == 0 ? 1 : blockBytes)) {}

LineQueue::~LineQueue() {
    releaseAll();
}

LineQueue::LineQueue(LineQueue&& other) noexcept
    : blockBytes_(other.blockBytes_), blocks_(std::exchange(other.blocks_, {})),
      readOffset_(std::exchange(other.readOffset_, 0)), count_(std::exchange(other.count_, 0)),
      textBytes_(std::exchange(other.textBytes_, 0)) {}

LineQueue& LineQueue::operator=(LineQueue&& other) noexcept {
    if (this != &other) {
        releaseAll();
        blockBytes_ = other.blockBytes_;
        blocks_ = std::exchange(other.blocks_, {});
        readOffset_ = std::exchange(other.readOffset_, 0);
        count_ = std::exchange(other.count_, 0);
        textBytes_ = std::exchange(other.textBytes_, 0);
    }
    return *this;
}

// Mapped directly rather than taken from the heap: the C library keeps freed heap memory for
// later use, whereas an unmapped block leaves the process at once.
void LineQueue::addBlock(std::size_t atLeast) {
    const std::size_t capacity = atLeast > blockBytes_ ? wholePages(atLeast) : blockBytes_;
    void* const bytes =
        mmap(nullptr, capacity, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (bytes == MAP_FAILED)
        throw std::bad_alloc();
    try {
        blocks_.push_back({static_cast<char*>(bytes), capacity, 0});
    } catch (...) {
        munmap(bytes, capacity);
        throw;
    }
}

void LineQueue::releaseAll() {
    for (const Block& block : blocks_)
        munmap(block.bytes, block.capacity);
    blocks_.clear();
}

// Each line is followed by a line feed, which a line never holds, so no lengths are stored.
void LineQueue::append(std::string_view utf8Line) {
    const std::size_t needed = utf8Line.size() + 1;
    if (blocks_.empty() || blocks_.back().capacity - blocks_.back().used < needed)
        addBlock(needed);
    Block& block = blocks_.back();
    if (!utf8Line.empty()) // an empty view may have no data at all
        std::memcpy(block.bytes + block.used, utf8Line.data(), utf8Line.size());
    block.bytes[block.used + utf8Line.size()] = '\n';
    block.used += needed;
    ++count_;
    textBytes_ += utf8Line.size();
}

std::string_view LineQueue::takeFront() {
    // The block of the line taken last goes once the caller is done with that line.
    if (readOffset_ == blocks_.front().used) {
        munmap(blocks_.front().bytes, blocks_.front().capacity);
        blocks_.pop_front();
        readOffset_ = 0;
    }
    const Block& block = blocks_.front();
    const char* const start = block.bytes + readOffset_;
    const auto* const end =
        static_cast<const char*>(std::memchr(start, '\n', block.used - readOffset_));
    const auto length = static_cast<std::size_t>(end - start);
    readOffset_ += length + 1;
    --count_;
    textBytes_ -= length;
    return {start, length};
}

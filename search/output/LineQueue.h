#pragma once

#include "output/LineSink.h"

#include <cstddef>
#include <deque>
#include <QtGlobal>
#include <string_view>

// Lines kept until they are passed on, first in, first out. The text sits in blocks mapped from
// the system, and a block goes back to it as soon as its last line has been taken, so handing a
// long list on to another holder needs its memory only once, not twice.
class LineQueue final : public LineSink {
public:
    // Blocks are at least `blockBytes` long (rounded up to whole pages); a longer line gets a
    // block of its own.
    explicit LineQueue(std::size_t blockBytes = std::size_t{1} << 20);
    ~LineQueue();
    LineQueue(LineQueue&& other) noexcept;
    LineQueue& operator=(LineQueue&& other) noexcept;
    LineQueue(const LineQueue&) = delete;
    LineQueue& operator=(const LineQueue&) = delete;

    void append(std::string_view utf8Line) override;

    // Lines not taken yet, and their bytes without line feeds.
    qsizetype size() const { return count_; }
    bool isEmpty() const { return count_ == 0; }
    std::size_t textBytes() const { return textBytes_; }

    // Removes the first line and returns it; the text stays valid until the next call.
    // The queue must not be empty.
    std::string_view takeFront();

private:
    struct Block {
        char* bytes;
        std::size_t capacity;
        std::size_t used;
    };
    void addBlock(std::size_t atLeast);
    void releaseAll();

    std::size_t blockBytes_;
    std::deque<Block> blocks_;
    std::size_t readOffset_ = 0; // in the front block
    qsizetype count_ = 0;
    std::size_t textBytes_ = 0;
};

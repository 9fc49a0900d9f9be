#include "output/LineStream.h"

#include <utility>

LineStream::LineStream(Out out, std::size_t pieceSize)
    : out_(std::move(out)), pieceSize_(pieceSize) {
    buffer_.reserve(pieceSize_ + 4096);
}

void LineStream::append(std::string_view utf8Line) {
    buffer_.append(utf8Line);
    // A one-byte end, as nearly always, goes in as a byte: a string append costs more.
    if (lineEnd_.size() == 1)
        buffer_.push_back(lineEnd_.front());
    else
        buffer_.append(lineEnd_);
    if (buffer_.size() >= pieceSize_)
        flush();
}

void LineStream::flush() {
    if (!buffer_.empty())
        out_(buffer_);
    buffer_.clear();
}

#include "LineStream.h"

#include <utility>

LineStream::LineStream(Out out, std::size_t pieceSize)
    : out_(std::move(out)), pieceSize_(pieceSize) {
    buffer_.reserve(pieceSize_ + 4096);
}

void LineStream::append(std::string_view utf8Line) {
    buffer_.append(utf8Line);
    buffer_.append(lineEnd_);
    if (buffer_.size() >= pieceSize_)
        flush();
}

void LineStream::flush() {
    if (!buffer_.empty())
        out_(buffer_);
    buffer_.clear();
}

#pragma once

#include "output/LineSink.h"

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

// Lines passed on in pieces as they are made: each line, followed by its line end (a line feed
// unless set otherwise), goes into one small buffer, which is handed to `out` whenever it
// reaches `pieceSize` bytes, so a listing of millions of lines never sits in memory as a whole.
class LineStream final : public LineSink {
public:
    using Out = std::function<void(std::string_view text)>;
    explicit LineStream(Out out, std::size_t pieceSize);
    LineStream(const LineStream&) = delete;
    LineStream& operator=(const LineStream&) = delete;

    void setLineEnd(std::string_view lineEnd) { lineEnd_ = lineEnd; }
    void append(std::string_view utf8Line) override;
    // Hands what the buffer still holds to `out`.
    void flush();

private:
    Out out_;
    std::size_t pieceSize_;
    std::string buffer_;
    std::string lineEnd_ = "\n";
};

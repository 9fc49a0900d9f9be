#pragma once

#include "base/ByteBuffer.h"
#include "output/LineSink.h"

#include <cstddef>
#include <QString>
#include <string_view>
#include <vector>

// An ordered list of text lines kept as UTF-8 in one buffer, every line followed by a line feed.
// Lists of a million lines stay compact (the text plus one offset a line), appending copies only
// the line's bytes, and the whole list can be written out in one piece.
class ResultLines final : public LineSink {
public:
    ResultLines() = default;

    void append(std::string_view utf8Line) override;
    void clear();

    qsizetype size() const { return static_cast<qsizetype>(starts_.size()); }
    bool isEmpty() const { return starts_.empty(); }

    // Line i without its line feed.
    std::string_view view(qsizetype i) const;
    QString at(qsizetype i) const;

    // All lines, each followed by a line feed.
    std::string_view text() const { return data_.view(); }
    std::size_t byteSize() const { return data_.size(); }

    // Appends every line, in order, to `sink`.
    void copyTo(LineSink& sink) const;

private:
    ByteBuffer data_;
    std::vector<std::size_t> starts_;
};

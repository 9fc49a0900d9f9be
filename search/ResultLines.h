#pragma once

#include "ByteBuffer.h"

#include <cstddef>
#include <functional>
#include <QString>
#include <QStringList>
#include <string>
#include <string_view>
#include <vector>

// An ordered list of text lines kept as UTF-8 in one buffer, every line followed by a line feed.
// Lists of a million lines stay compact (the text plus one offset a line), appending copies only
// the line's bytes, and the whole list can be written out in one piece.
class ResultLines final {
public:
    ResultLines() = default;

    // Appends one line. The text must not hold a line feed.
    void append(std::string_view utf8Line);
    void append(const QString& line);
    // Appends every line of `other`, in its order.
    void append(const ResultLines& other);
    void clear();

    qsizetype size() const { return static_cast<qsizetype>(starts_.size()); }
    bool isEmpty() const { return starts_.empty(); }

    // Line i without its line feed.
    std::string_view view(qsizetype i) const;
    QString at(qsizetype i) const;
    QStringList toStringList() const;

    // All lines, each followed by a line feed.
    std::string_view text() const { return data_.view(); }
    std::size_t byteSize() const { return data_.size(); }

    // Hands the lines held to `sink` (all of them, each followed by a line feed) whenever they
    // reach `threshold` bytes, and forgets them: a long listing then streams out through one
    // small buffer instead of piling up. size() and view() cover only the lines still held.
    using Sink = std::function<void(std::string_view text)>;
    void spillTo(Sink sink, std::size_t threshold);
    // Hands every line still held to the sink now.
    void spill();

    // Lets a formatter build a line in place: begin, write to the end of the returned string,
    // then finish, which appends it.
    std::string& beginLine();
    void finishLine();

private:
    void spillWhenFull() {
        if (sink_ && data_.size() >= threshold_)
            spill();
    }

    ByteBuffer data_;
    std::vector<std::size_t> starts_;
    std::string line_; // the line between beginLine and finishLine
    Sink sink_;
    std::size_t threshold_ = 0;
};

bool operator==(const ResultLines& a, const ResultLines& b);

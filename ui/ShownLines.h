#pragma once

#include "base/ByteBuffer.h"
#include "output/LineSink.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <QByteArray>
#include <QString>
#include <string>
#include <string_view>
#include <vector>

// The lines of the result window, kept compact for lists of millions of lines. Most of a
// listing's line is padding, blanks that fill a name to its column, so each line is kept without
// its trailing blanks and followed by one byte that counts them (up to 255; more stay in the
// text). The text sits in one buffer that grows by realloc, each line found by a 4-byte offset
// from the start of its group of lines. Lines may be kept hidden and shown one by one: the
// writing phase of a search shows lines gathered already.
class ShownLines final : public LineSink {
public:
    // One line as kept: its text without the trailing blanks, and how many there are.
    struct Line {
        std::string_view text;
        std::size_t trailingBlanks = 0;
        std::size_t size() const { return text.size() + trailingBlanks; }
    };

    ShownLines() = default;

    // Adds a line after the last one; it is shown unless lines before it are hidden. Throws
    // std::bad_alloc when memory runs out.
    void append(std::string_view utf8Line) override { store(utf8Line, 0); }

    // The lines shown; hidden lines follow them.
    qsizetype size() const { return shown_; }
    bool isEmpty() const { return shown_ == 0; }
    qsizetype hiddenCount() const { return count_ - shown_; }
    // Hides every line.
    void hideAll() { shown_ = 0; }
    // Shows the first hidden line, which must exist.
    void showNext() { ++shown_; }
    // Removes the hidden lines.
    void dropHidden();

    Line line(qsizetype i) const;
    // Line i whole, trailing blanks included.
    QString at(qsizetype i) const;
    void appendLine(qsizetype i, std::string& out) const;
    // Lines first to end - 1, each followed by a line feed.
    void appendLines(qsizetype first, qsizetype end, QByteArray& out) const;
    // Hands every shown line, whole and in order, to `sink`.
    void copyTo(LineSink& sink) const;

protected:
    void appendPadded(std::string& line, std::size_t blanks) override { store(line, blanks); }

private:
    // Keeps a line of `text` followed by `blanks` blanks.
    void store(std::string_view text, std::size_t blanks);

    // Where line i begins in the text.
    std::size_t start(qsizetype i) const {
        const auto index = static_cast<std::size_t>(i);
        std::uint32_t offset = 0;
        std::memcpy(&offset, offsets_.view().data() + index * sizeof offset, sizeof offset);
        return groupStarts_[index >> groupShift] + offset;
    }

    // Lines a group's offsets count from: a group's text is far below the 4 GiB an offset reaches.
    static constexpr std::size_t groupShift = 10;

    ByteBuffer text_;    // each line's text without its trailing blanks, then their count
    ByteBuffer offsets_; // a std::uint32_t for each line, from the start of its group
    std::vector<std::size_t> groupStarts_;
    qsizetype count_ = 0;
    qsizetype shown_ = 0;
};

#pragma once

#include <cstddef>
#include <QtGlobal>
#include <string_view>

// The width of the longest line, for the horizontal scroll range. Appending counts characters,
// each one cell of the fixed-pitch font wide; rows that painting measures wider (some CJK
// glyphs are) widen the range once they have been seen.
class WidestLine final {
public:
    void clear();
    // A line of `utf8Text` followed by `trailingBlanks` blanks.
    void noteLine(std::string_view utf8Text, std::size_t trailingBlanks = 0);
    // Records a painted row's width; true when it is wider than the text was thought to be.
    bool notePainted(qreal width, qreal cell);
    // The painted widths no longer hold, as after a change of font.
    void forgetPainted() { paintedPixels_ = 0; }
    // The widest line in pixels, for a character cell `cell` pixels wide.
    qint64 pixels(qreal cell) const;

private:
    qint64 cellPixels(qreal cell) const;

    std::size_t characters_ = 0; // characters of the longest line, counted on append
    int paintedPixels_ = 0;      // widest row measured while painting
};

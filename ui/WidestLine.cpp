#include "WidestLine.h"

#include "base/Utf8Text.h"

#include <algorithm>
#include <cmath>

void WidestLine::clear() {
    characters_ = 0;
    paintedPixels_ = 0;
}

void WidestLine::noteLine(std::string_view utf8Text, std::size_t trailingBlanks) {
    // A line has at most as many characters as bytes, so only longer lines need counting.
    if (utf8Text.size() + trailingBlanks > characters_)
        characters_ = std::max(characters_, CountCharacters(utf8Text) + trailingBlanks);
}

bool WidestLine::notePainted(qreal width, qreal cell) {
    const int pixels = static_cast<int>(std::ceil(width));
    if (pixels <= paintedPixels_)
        return false;
    paintedPixels_ = pixels;
    return cellPixels(cell) < pixels;
}

qint64 WidestLine::pixels(qreal cell) const {
    return std::max(cellPixels(cell), qint64{paintedPixels_});
}

// The longest line in character cells (fractional, as the text is laid out).
qint64 WidestLine::cellPixels(qreal cell) const {
    return static_cast<qint64>(std::ceil(static_cast<qreal>(characters_) * cell));
}

#pragma once

#include "LineView.h"
#include "output/ResultLines.h"
#include "WindowDriver.h"

#include <ostream>
#include <QString>

inline void PrintTo(const TextPosition& position, std::ostream* out) {
    *out << "(row " << position.row << ", column " << position.column << ")";
}

// The view's whole text, every line followed by a line feed.
inline QString TextOf(const LineView& view) {
    ResultLines copy;
    view.lines().copyTo(copy);
    return QString::fromUtf8(copy.text().data(), static_cast<qsizetype>(copy.text().size()));
}

#pragma once

#include "LineView.h"
#include "WindowDriver.h"

#include <ostream>

inline void PrintTo(const TextPosition& position, std::ostream* out) {
    *out << "(row " << position.row << ", column " << position.column << ")";
}

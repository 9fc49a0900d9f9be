#include "TerminalLines.h"

#include "Utf8Text.h"

void TerminalLines::append(std::string_view utf8Line) {
    shown_.clear();
    AppendDisplayText(shown_, utf8Line, ControlCharacters::Terminal);
    out_.append(shown_);
}

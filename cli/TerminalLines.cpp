#include "TerminalLines.h"

#include "base/Utf8Text.h"

void TerminalLines::append(std::string_view utf8Line) {
    shown_.clear();
    AppendDisplayText(shown_, utf8Line, ControlCharacters::Terminal);
    out_.append(shown_);
}

#pragma once

#include "output/LineSink.h"

#include <string>
#include <string_view>

// Lines bound for a terminal: each goes on to `out` with the terminal's rule for control
// characters (see ControlCharacters), so that no name can start an escape sequence there. A
// listing's lines already show C0 controls as "?"; here the C1 controls (U+0080 to U+009F) go
// too. Files and pipes get the lines as the listing makes them.
class TerminalLines final : public LineSink {
public:
    explicit TerminalLines(LineSink& out) : out_(out) {}
    TerminalLines(const TerminalLines&) = delete;
    TerminalLines& operator=(const TerminalLines&) = delete;

    void append(std::string_view utf8Line) override;

private:
    LineSink& out_;
    std::string shown_;
};

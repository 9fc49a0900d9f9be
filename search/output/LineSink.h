#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Where the lines of a listing go as they are made: a list kept in memory, the result window's
// list, a file or a stream. A line is UTF-8 text without its line feed.
class LineSink {
public:
    // Takes one line as the new last line. The text must not hold a line feed.
    virtual void append(std::string_view utf8Line) = 0;

    // Lets a formatter build a line in place: begin, write to the end of the returned string,
    // then finish, which appends it, followed by `trailingBlanks` blanks.
    std::string& beginLine() {
        line_.clear();
        return line_;
    }
    void finishLine(std::size_t trailingBlanks = 0) { appendPadded(line_, trailingBlanks); }

protected:
    // Takes the line built in `line` followed by `blanks` blanks; `line` may be changed. A sink
    // that keeps lines without their trailing blanks takes the count as it is.
    virtual void appendPadded(std::string& line, std::size_t blanks) {
        line.append(blanks, ' ');
        append(line);
    }

    LineSink() = default;
    ~LineSink() = default;
    LineSink(const LineSink&) = default;
    LineSink& operator=(const LineSink&) = default;

private:
    std::string line_; // the line between beginLine and finishLine
};

#pragma once

#include <string>
#include <string_view>

// Where the lines of a listing go as they are made: a list kept in memory, the result window's
// list, a file or a stream. A line is UTF-8 text without its line feed.
class LineSink {
public:
    // Takes one line as the new last line. The text must not hold a line feed.
    virtual void append(std::string_view utf8Line) = 0;

    // Lets a formatter build a line in place: begin, write to the end of the returned string,
    // then finish, which appends it.
    std::string& beginLine() {
        line_.clear();
        return line_;
    }
    void finishLine() { append(line_); }

protected:
    LineSink() = default;
    ~LineSink() = default;
    LineSink(const LineSink&) = default;
    LineSink& operator=(const LineSink&) = default;

private:
    std::string line_; // the line between beginLine and finishLine
};

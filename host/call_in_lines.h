// A call or body that a rule author writes over several lines, as at other prompts, gathered
// line by line from a transcript or a terminal.
#ifndef HOST_CALL_IN_LINES_H
#define HOST_CALL_IN_LINES_H

#include "call_parser.h"

#include <cstddef>
#include <string>
#include <vector>

// Whether a line holds no call: only blanks, or a % comment.
bool isBlankOrComment(const std::string& line);

// A line that stops inside the body (see BodyContinuation) goes on with the next. Blank and
// comment lines in between add nothing.
class CallInLines {
public:
    // Where a byte of text() was written: problems name the line and character of the file.
    struct Place {
        std::size_t line; // its number
        std::string text; // that line as added
        std::size_t at;   // the byte in it; its end for the blank that joins it to the next
    };

    // Whether `line` (number `number`; 0 for an argument, which has none) is part of a call: the
    // first line of one that holds text, or any line while one goes on.
    bool add(const std::string& line, std::size_t number);
    bool pending() const { return !lines_.empty(); }
    bool complete() const { return pending() && !continuation_.continues(); }
    const std::string& text() const { return text_; }
    std::size_t firstLine() const { return lines_.front().number; }
    std::size_t lastLine() const { return lines_.back().number; } // the last with text
    Place placeOf(std::size_t at) const; // of a call under way
    void clear();

private:
    struct Line {
        std::size_t start;  // in text_
        std::size_t number;
    };
    std::vector<Line> lines_;       // those with text; none: no call under way
    std::string text_;              // its lines so far, joined by a blank
    BodyContinuation continuation_; // of those lines, each read once
};

#endif
